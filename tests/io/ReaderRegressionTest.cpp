// Inputs the fuzzers found that broke a reader, each under the name of what
// broke, and the nesting check that now guards the descriptor handles.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "base/CborDepth.h"
#include "base/Descriptor.h"
#include "interface/FourCharCode.h"
#include "io/ActionFile.h"
#include "io/ImageFile.h"
#include "tests/persistence/StoreFixture.h"
#include "tests/support/TempFolders.h"

namespace tessel::test {
namespace {

using base::Descriptor;
using base::ObjectValue;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = boost::filesystem;

constexpr size_t kVeryDeep = 200000;

std::string Nested(const char* open, const char* close, size_t depth) {
  std::string text;
  for (size_t i = 0; i < depth; ++i) text += open;
  for (size_t i = 0; i < depth; ++i) text += close;
  return text;
}

// A seed of the fuzzers, as the fuzz target hands it over.
std::string Seed(const std::string& target, const std::string& name) {
  return ReadBytes(fs::path(TESSEL_SOURCE_DIR) / "tests/fuzz/corpus" / target / name);
}

// The message of the error loading `content` as an action file raises.
std::string LoadError(const std::string& content) {
  TempFolder folder;
  const auto path = folder.path() / "action.json";
  WriteBytes(path, content);
  try {
    io::LoadActionFile(path.string());
  } catch (const io::ActionFileError& e) {
    return e.what();
  }
  return "loaded";
}

TEST(ActionFileRegression, DeeplyNestedFormatOrVersionIsNamedNotWrittenOut) {
  const std::string deep = Nested("[", "]", kVeryDeep);
  EXPECT_NE(LoadError(R"({"format": )" + deep + R"(, "version": 1})").find("\"format\" is an array"),
            std::string::npos);
  EXPECT_NE(LoadError(R"({"format": "Tessel action", "version": )" + deep + "}").find("version an array"),
            std::string::npos);
  const std::string longName(1000, 'x');
  const std::string message = LoadError(R"({"format": ")" + longName + R"(", "version": 1})");
  EXPECT_NE(message.find("a long string"), std::string::npos);
  EXPECT_LT(message.size(), 200u + longName.size() / 10);
}

TEST(ActionFileRegression, NumberBeyondADoubleIsAnActionFileError) {
  EXPECT_THAT(LoadError(Seed("FuzzActionFile", "number-beyond-double.json")),
              AllOf(HasSubstr("action.json: "), HasSubstr("1e999")));
}

// The TIFF with its width and height entries made 32-bit and set to `side`.
std::string ClaimingSquare(std::string tiff, uint32_t side) {
  const auto u16 = [&tiff](size_t at) { return size_t(uint8_t(tiff[at])) | size_t(uint8_t(tiff[at + 1])) << 8; };
  const size_t directory = u16(4) | u16(6) << 16;
  for (size_t i = 0; i < u16(directory); ++i) {
    const size_t entry = directory + 2 + 12 * i;
    if (u16(entry) != 256 && u16(entry) != 257) continue;
    tiff.replace(entry + 2, 2, std::string("\x04\x00", 2));
    for (int b = 0; b < 4; ++b) tiff[entry + 8 + b] = char(side >> (8 * b));
  }
  return tiff;
}

int64_t PeakVirtualBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmPeak:", 0) == 0) return std::stoll(line.substr(7)) * 1024;
  return -1;
}

TEST(ImageFileRegression, PageClaimingMoreThanTheMemoryIsRefusedBeforeAllocating) {
  // The fuzzers' find: 533 bytes claiming 65528 x 32774 CMYK pixels with
  // transparency, here against 1 GiB; then the same bytes claiming 300000 x
  // 300000, more than any machine holds, against this machine's memory.
  const std::string found = Seed("FuzzImageFile", "claims-10-gib.tif").substr(1);
  struct Case {
    const char* name;
    std::string bytes;
    int64_t available;
    const char* size;
  };
  const Case cases[] = {{"found.tif", found, int64_t(1) << 30, "10738073360 bytes (10.0 GiB), more than the 1.0 GiB"},
                        {"huge.tif", ClaimingSquare(found, 300000), base::AvailableMemory(), "450000000000 bytes"}};
  TempFolder folder;
  for (const Case& c : cases) {
    const std::string path = (folder.path() / c.name).string();
    WriteBytes(path, c.bytes);
    const int64_t peak = PeakVirtualBytes();
    try {
      io::LoadImageFile(path, c.available);
      ADD_FAILURE() << c.name << " was loaded";
    } catch (const io::ImageFileError& e) {
      EXPECT_THAT(e.what(), AllOf(StartsWith(path + ": "), HasSubstr(c.size), HasSubstr("of memory available")));
    }
    EXPECT_LT(PeakVirtualBytes() - peak, int64_t(1) << 30) << c.name << ": its pixels were allocated";
  }
}

// A descriptor of ours nested `depth` objects deep.
base::Descriptor NestedObjects(int depth) {
  base::Descriptor descriptor{{{FourCharCode("Tlrn"), int32_t(7)}}};
  for (int i = 0; i < depth; ++i)
    descriptor =
        base::Descriptor{{{FourCharCode("Objc"), base::ObjectValue{FourCharCode("Nest"), std::move(descriptor)}}}};
  return descriptor;
}

TEST(DescriptorHandleRegression, DeeplyNestedPackedBytesAreRefusedWithoutRecursing) {
  const std::string deepArrays = "TsDs" + std::string(kVeryDeep, '\x81') + '\x80';
  EXPECT_FALSE(base::UnpackDescriptor(deepArrays));
  const std::string deepChunks = "TsDs" + std::string(kVeryDeep, '\x9F') + std::string(kVeryDeep, '\xFF');
  EXPECT_FALSE(base::UnpackDescriptor(deepChunks));
  // The deepest descriptor the host makes still unpacks.
  const base::Descriptor deepest = NestedObjects(16);
  EXPECT_EQ(base::UnpackDescriptor(base::PackDescriptor(deepest)), deepest);
}

TEST(CborNesting, CountsArraysMapsTagsAndChunkedStrings) {
  using base::CborNestsWithin;
  const std::string flat("\x83\x01\x02\x03", 4);  // [1, 2, 3]
  EXPECT_TRUE(base::CborNestsWithin(flat, 0, 1));
  EXPECT_FALSE(base::CborNestsWithin(flat, 0, 0));
  const std::string siblings("\x82\x81\x01\x81\x02", 5);  // [[1], [2]]: two deep, not three
  EXPECT_TRUE(base::CborNestsWithin(siblings, 0, 2));
  EXPECT_FALSE(base::CborNestsWithin(siblings, 0, 1));
  const std::string mapOfArray("\xA1\x61k\x81\x00", 5);  // {"k": [0]}
  EXPECT_TRUE(base::CborNestsWithin(mapOfArray, 0, 2));
  EXPECT_FALSE(base::CborNestsWithin(mapOfArray, 0, 1));
  EXPECT_FALSE(base::CborNestsWithin(std::string(50, '\xC6') + '\x01', 0, 49));  // tags in tags
  const std::string emptyArrays(1000, '\x80');  // a thousand empty arrays side by side
  EXPECT_TRUE(base::CborNestsWithin(emptyArrays, 0, 1));
  // Bytes skipped by the prefix, and truncated bytes, are left to the reader.
  EXPECT_TRUE(base::CborNestsWithin("\x81\x81" + flat, 2, 1));
  EXPECT_TRUE(base::CborNestsWithin("\x9A\xFF", 0, 0));
}

class DescriptorHandleReplay : public StoreFixture {};

TEST_F(DescriptorHandleReplay, DeeplyNestedHandleReplaysNothing) {
  descriptors.parameters()->descriptor = handles.FromBytes("TsDs" + std::string(kVeryDeep, '\x81') + '\x80');
  descriptors.parameters()->playInfo = plugInDialogDontDisplay;
  CTesselParams params = UnusualRecord();
  EXPECT_FALSE(filter.ReadScript(params));
  ExpectStoredFieldsEqual(params, UnusualRecord(), true);
  EXPECT_EQ(descriptors.openReaders(), 0u);
}

}  // namespace
}  // namespace tessel::test
