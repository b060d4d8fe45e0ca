// Action files: a run recorded once and replayed later, and files that are
// not actions of this filter.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "io/ActionFile.h"
#include "tests/persistence/StoreFixture.h"

namespace tessel::test {
namespace {

using io::Action;
using io::ActionFileError;
using base::Descriptor;
using nlohmann::json;

std::string TempPath(const std::string& name) { return ::testing::TempDir() + "tessel_action_" + name; }

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ActionFile : public StoreFixture {};

TEST_F(ActionFile, RecordedRunReplaysIntoTheSameRecord) {
  CTesselParams recorded = UnusualRecord();
  recorded.flagSize = 0x7FFFFFFF;
  filter.WriteScript(recorded);
  const std::string path = TempPath("roundtrip.json");
  io::SaveActionFile(path, io::Action{false, descriptors.TakeRecorded().value()});
  EXPECT_EQ(descriptors.parameters()->descriptor, nullptr);
  EXPECT_EQ(handles.liveCount(), 0u);

  // A later session: a fresh record, the action loaded from its file.
  const io::Action loaded = io::LoadActionFile(path);
  descriptors.SetReplay(loaded.descriptor, loaded.showDialog ? plugInDialogDisplay : plugInDialogDontDisplay);
  CTesselParams replayed;
  EXPECT_FALSE(filter.ReadScript(replayed));
  ExpectStoredFieldsEqual(replayed, recorded, false);
}

TEST_F(ActionFile, EveryKindOfItemSurvivesTheFile) {
  const base::Descriptor d{{
      {FourCharCode("Intg"), int32_t(-2147483647 - 1)},
      {FourCharCode("Bool"), false},
      {FourCharCode("Text"), std::string("Caf\xc3\xa9.aco")},
      {FourCharCode("Raw "), std::string("Caf\xe9\x00.aco", 9)},  // not UTF-8, with a NUL
      {FourCharCode("Dbl "), 2.5},
      {FourCharCode("Unit"), base::UnitFloat{FourCharCode("#Pxl"), -1.5}},
      {FourCharCode("Enum"), base::Enumerated{FourCharCode("Type"), FourCharCode("Valu")}},
      {FourCharCode("Clss"), base::ClassRef{FourCharCode("RGBC")}},
      {0x00010203, base::ObjectValue{FourCharCode("RGBC"), {{{0, int32_t(0)}}}}},
  }};
  const std::string path = TempPath("kinds.json");
  io::SaveActionFile(path, io::Action{true, d});
  const io::Action loaded = io::LoadActionFile(path);
  EXPECT_TRUE(loaded.showDialog);
  EXPECT_EQ(loaded.descriptor, d);
  EXPECT_EQ(ReadFile(path + ".part"), "");  // no leftover of the safe write
}

TEST(ActionFileErrors, FilesThatAreNotActionsGiveClearErrors) {
  const json good = io::ActionToJson(io::Action{false, base::Descriptor{{{FourCharCode("Tlrn"), int32_t(3)}}}});
  const std::string text = good.dump();
  auto with = [&](const char* pointer, json value) {
    json changed = good;
    changed[json::json_pointer(pointer)] = std::move(value);
    return changed.dump();
  };
  const struct {
    const char* name;
    std::string content;
    const char* message;
  } cases[] = {
      {"empty", "", "not valid JSON"},
      {"truncated", text.substr(0, text.size() / 2), "not valid JSON"},
      {"array", "[1, 2]", "top level must be an object"},
      {"foreign", with("/format", "Photoshop action"), "not a Tessel action"},
      {"newer", with("/version", 2), "unsupported action version 2"},
      // Only version 1 itself is read: nothing older, no stand-in for a number.
      {"version 0", with("/version", 0), "unsupported action version 0"},
      {"negative", with("/version", -1), "unsupported action version -1"},
      {"null version", with("/version", nullptr), "unsupported action version null"},
      {"version as text", with("/version", "1"), "unsupported action version \"1\""},
      {"dialog", with("/showDialog", "yes"), "\"showDialog\""},
      {"no descriptor", R"({"format":"Tessel action","version":1,"showDialog":false})", "missing \"descriptor\""},
      {"wrong value", with("/descriptor/0/value", "three"), "whole number"},
      {"too large", with("/descriptor/0/value", 4294967296), "fit in 32 bits"},
      {"long key", with("/descriptor/0/key", "Tlrn!"), "four characters"},
      {"unknown type", with("/descriptor/0/type", "alias"), "unknown type \"alias\""},
      {"bad bytes", with("/descriptor/0", json{{"key", "PltF"}, {"type", "text"}, {"bytes", {1, 256}}}), "0 to 255"},
  };
  for (const auto& c : cases) {
    const std::string path = TempPath(c.name);
    WriteFile(path, c.content);
    try {
      io::LoadActionFile(path);
      ADD_FAILURE() << c.name << " loaded";
    } catch (const io::ActionFileError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(path), std::string::npos) << message;
      EXPECT_NE(message.find(c.message), std::string::npos) << c.name << ": " << message;
    }
  }
}

TEST(ActionFileErrors, DeepNestingIsRefusedWithoutRecursingOn) {
  json items = json::array();
  for (int i = 0; i < 10000; ++i)
    items = json::array({json{{"key", "Objc"}, {"type", "object"}, {"class", "RGBC"}, {"items", std::move(items)}}});
  json action = io::ActionToJson(io::Action{});
  action["descriptor"] = std::move(items);
  EXPECT_THROW(io::ActionFromJson(action), io::ActionFileError);
}

TEST(ActionFileErrors, MissingFilesAndUnwritableFoldersAreErrors) {
  EXPECT_THROW(io::LoadActionFile(TempPath("does-not-exist")), io::ActionFileError);
  EXPECT_THROW(io::SaveActionFile(TempPath("no-such-folder/a.json"), io::Action{}), io::ActionFileError);
}

}  // namespace
}  // namespace tessel::test
