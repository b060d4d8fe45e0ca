// Our host's handle and descriptor services, as a plug-in reaches them
// through the C procs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/DescriptorServices.h"
#include "host/HandleServices.h"

namespace tessel::host {
namespace {

TEST(HandleServices, BlocksMoveOnResizeButKeepTheirBytes) {
  HandleServices handles;
  const HandleProcs& procs = *handles.procs();
  EXPECT_EQ(procs.handleProcsVersion, 1);
  EXPECT_EQ(procs.numHandleProcs, 8);

  Handle h = procs.newProc(4);
  std::memcpy(*h, "abcd", 4);
  const char* before = *h;
  ASSERT_EQ(procs.setSizeProc(h, 1000), noErr);
  EXPECT_NE(*h, before);
  EXPECT_EQ(procs.getSizeProc(h), 1000);
  EXPECT_EQ(std::string(*h, 4), "abcd");

  Ptr locked = procs.lockProc(h, false);
  EXPECT_EQ(locked, *h);
  EXPECT_EQ(procs.setSizeProc(h, 2), HandleServices::kMemLockedErr);
  procs.unlockProc(h);
  handles.FailResizes(true);
  EXPECT_EQ(procs.setSizeProc(h, 2), HandleServices::kMemFullErr);
  EXPECT_EQ(procs.getSizeProc(h), 1000);
  procs.disposeProc(h);
  EXPECT_EQ(handles.liveCount(), 0u);
}

TEST(HandleServices, DoubleOrForeignDisposalIsCountedNotFatal) {
  HandleServices handles;
  const HandleProcs& procs = *handles.procs();
  Handle h = procs.newProc(8);
  procs.disposeProc(h);
  procs.disposeProc(h);
  char* foreign = nullptr;
  procs.disposeProc(&foreign);
  EXPECT_EQ(procs.setSizeProc(&foreign, 4), HandleServices::kNilHandleErr);
  EXPECT_EQ(handles.misuseCount(), 3u);
  EXPECT_EQ(procs.newProc(-1), nullptr);
  handles.SetAllocationLimit(16);
  EXPECT_EQ(procs.newProc(17), nullptr);
  EXPECT_EQ(handles.liveCount(), 0u);
}

class DescriptorProcs : public ::testing::Test {
 protected:
  HandleServices handles;
  DescriptorServices services{handles};
  const ReadDescriptorProcs& read = *services.parameters()->readDescriptorProcs;
  const WriteDescriptorProcs& write = *services.parameters()->writeDescriptorProcs;

  PIReadDescriptor OpenOn(const base::Descriptor& d) {
    held = services.NewDescriptorHandle(d);
    return read.openReadDescriptorProc(held, nullptr);
  }
  Handle held = nullptr;
};

TEST_F(DescriptorProcs, ReadersGiveKeysInStoredOrderWithTheirTypes) {
  const base::Descriptor d{{{FourCharCode("Zzzz"), int32_t(1)},
                      {FourCharCode("Aaaa"), std::string("t")},
                      {FourCharCode("Mmmm"), base::ObjectValue{FourCharCode("RGBC"), {}}},
                      {0, true}}};
  PIReadDescriptor reader = OpenOn(d);
  ASSERT_NE(reader, nullptr);
  std::vector<std::pair<DescriptorKeyID, DescType>> seen;
  DescriptorKeyID key;
  DescType type;
  int32_t flags;
  while (read.getKeyProc(reader, &key, &type, &flags)) seen.emplace_back(key, type);
  using Seen = std::vector<std::pair<DescriptorKeyID, DescType>>;
  EXPECT_EQ(seen, (Seen{{FourCharCode("Zzzz"), typeInteger},
                        {FourCharCode("Aaaa"), typeText},
                        {FourCharCode("Mmmm"), typeObject},
                        {0, typeBoolean}}));
  EXPECT_EQ(read.closeReadDescriptorProc(reader), noErr);
  EXPECT_EQ(read.closeReadDescriptorProc(reader), DescriptorServices::kErrNotFound);
  handles.Dispose(held);
  EXPECT_EQ(handles.misuseCount(), 0u);
}

TEST_F(DescriptorProcs, GettersAnswerOnlyForTheCurrentItemOfTheirType) {
  PIReadDescriptor reader = OpenOn(base::Descriptor{{{FourCharCode("Intg"), int32_t(500)}}});
  int32_t value = 0;
  EXPECT_EQ(read.getIntegerProc(reader, &value), DescriptorServices::kErrNotFound);  // before getKey
  DescriptorKeyID key;
  ASSERT_TRUE(read.getKeyProc(reader, &key, nullptr, nullptr));
  Boolean flag = 0;
  Handle text = nullptr;
  EXPECT_EQ(read.getBooleanProc(reader, &flag), DescriptorServices::kErrWrongType);
  EXPECT_EQ(read.getTextProc(reader, &text), DescriptorServices::kErrWrongType);
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(read.getPinnedIntegerProc(reader, 0, 255, &value), DescriptorServices::kCoercedParam);
  EXPECT_EQ(value, 255);
  EXPECT_EQ(read.getIntegerProc(reader, &value), noErr);
  EXPECT_EQ(value, 500);
  EXPECT_FALSE(read.getKeyProc(reader, &key, nullptr, nullptr));
  read.closeReadDescriptorProc(reader);
  EXPECT_EQ(read.getIntegerProc(reader, &value), DescriptorServices::kErrNotFound);
}

TEST_F(DescriptorProcs, WrittenItemsComeBackThroughTheGetters) {
  PIWriteDescriptor nested = write.openWriteDescriptorProc();
  write.putIntegerProc(nested, FourCharCode("Grn "), 7);
  PIDescriptorHandle object = nullptr;
  ASSERT_EQ(write.closeWriteDescriptorProc(nested, &object), noErr);

  PIWriteDescriptor writer = write.openWriteDescriptorProc();
  const unsigned char pascal[] = "\x03" "abc";
  const double ratio = 0.25;
  Handle text = handles.FromBytes("name");
  EXPECT_EQ(write.putObjectProc(writer, FourCharCode("BckC"), FourCharCode("RGBC"), object), noErr);
  EXPECT_EQ(write.putTextProc(writer, FourCharCode("PltF"), text), noErr);
  EXPECT_EQ(write.putStringProc(writer, FourCharCode("Strg"), pascal), noErr);
  EXPECT_EQ(write.putUnitFloatProc(writer, FourCharCode("Rato"), FourCharCode("#Prc"), &ratio), noErr);
  EXPECT_EQ(write.putEnumeratedProc(writer, FourCharCode("Enum"), FourCharCode("Type"), FourCharCode("Valu")), noErr);
  EXPECT_EQ(write.putAliasProc(writer, FourCharCode("Alis"), text), DescriptorServices::kErrUnsupported);
  EXPECT_EQ(write.putObjectProc(writer, FourCharCode("Bad "), 0, text), DescriptorServices::kErrParam);
  handles.Dispose(object);
  handles.Dispose(text);
  PIDescriptorHandle written = nullptr;
  ASSERT_EQ(write.closeWriteDescriptorProc(writer, &written), noErr);

  const base::Descriptor expected{
      {{FourCharCode("BckC"), base::ObjectValue{FourCharCode("RGBC"), {{{FourCharCode("Grn "), int32_t(7)}}}}},
       {FourCharCode("PltF"), std::string("name")},
       {FourCharCode("Strg"), std::string("abc")},
       {FourCharCode("Rato"), base::UnitFloat{FourCharCode("#Prc"), 0.25}},
       {FourCharCode("Enum"), base::Enumerated{FourCharCode("Type"), FourCharCode("Valu")}}}};
  EXPECT_EQ(services.ReadDescriptorHandle(written), expected);

  // An object comes back as a handle of its own, with its class on request.
  PIReadDescriptor reader = read.openReadDescriptorProc(written, nullptr);
  DescriptorKeyID key;
  ASSERT_TRUE(read.getKeyProc(reader, &key, nullptr, nullptr));
  DescType classID = 0;
  PIDescriptorHandle got = nullptr;
  ASSERT_EQ(read.getObjectProc(reader, &classID, &got), noErr);
  EXPECT_EQ(classID, FourCharCode("RGBC"));
  EXPECT_EQ(services.ReadDescriptorHandle(got), (base::Descriptor{{{FourCharCode("Grn "), int32_t(7)}}}));
  read.closeReadDescriptorProc(reader);
  handles.Dispose(got);
  handles.Dispose(written);
  EXPECT_EQ(handles.liveCount(), 0u);
  EXPECT_EQ(handles.misuseCount(), 0u);
}

}  // namespace
}  // namespace tessel::host
