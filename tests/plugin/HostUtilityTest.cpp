// The host utility layer: version rules, handle and text conversions (through
// the host's procs and through the local fallback) and descriptor ownership.
#include <gtest/gtest.h>

#include <string>

#include "interface/FourCharCode.h"
#include "plugin/HostUtility.h"
#include "plugin/LocalHandles.h"
#include "tests/persistence/StoreFixture.h"

namespace tessel::test {
namespace {

using base::Descriptor;

TEST(HostUtilityVersions, HandleProcsNeedVersionOneWithEightProcs) {
  host::HandleServices handles;
  HandleProcs procs = *handles.procs();
  EXPECT_TRUE(HostHandleProcsAvailable(&procs));
  EXPECT_FALSE(HostHandleProcsAvailable(nullptr));

  bool newer = false;
  procs.numHandleProcs = 7;
  EXPECT_FALSE(HostHandleProcsAvailable(&procs, &newer));
  EXPECT_FALSE(newer);

  procs.numHandleProcs = 8;
  procs.handleProcsVersion = 0;
  EXPECT_FALSE(HostHandleProcsAvailable(&procs, &newer));
  EXPECT_FALSE(newer);

  procs.handleProcsVersion = 2;
  EXPECT_FALSE(HostHandleProcsAvailable(&procs, &newer));
  EXPECT_TRUE(newer);

  procs = *handles.procs();
  procs.setSizeProc = nullptr;
  EXPECT_FALSE(HostHandleProcsAvailable(&procs));
  procs = *handles.procs();
  procs.lockProc = nullptr;  // not required
  EXPECT_TRUE(HostHandleProcsAvailable(&procs));
}

TEST(HostUtilityVersions, DescriptorServicesNeedEveryProcAtVersionZero) {
  host::HandleServices handles;
  host::DescriptorServices services(handles);
  PIDescriptorParameters params = *services.parameters();
  ReadDescriptorProcs read = *params.readDescriptorProcs;
  WriteDescriptorProcs write = *params.writeDescriptorProcs;
  params.readDescriptorProcs = &read;
  params.writeDescriptorProcs = &write;
  EXPECT_TRUE(HostDescriptorAvailable(&params));
  EXPECT_FALSE(HostDescriptorAvailable(nullptr));

  bool newer = false;
  read.numReadDescriptorProcs = 17;
  EXPECT_FALSE(HostDescriptorAvailable(&params, &newer));
  read.numReadDescriptorProcs = 18;
  write.numWriteDescriptorProcs = 15;
  EXPECT_FALSE(HostDescriptorAvailable(&params, &newer));
  write.numWriteDescriptorProcs = 16;
  EXPECT_FALSE(newer);

  read.getPinnedUnitFloatProc = nullptr;
  EXPECT_FALSE(HostDescriptorAvailable(&params));
  read = *services.parameters()->readDescriptorProcs;
  write.putScopedObjectProc = nullptr;
  EXPECT_FALSE(HostDescriptorAvailable(&params));
  write = *services.parameters()->writeDescriptorProcs;

  write.writeDescriptorProcsVersion = 1;
  EXPECT_FALSE(HostDescriptorAvailable(&params, &newer));
  EXPECT_TRUE(newer);
  write.writeDescriptorProcsVersion = 0;

  params.descriptorParametersVersion = -1;
  EXPECT_FALSE(HostDescriptorAvailable(&params));
  params.descriptorParametersVersion = 0;
  params.readDescriptorProcs = nullptr;
  EXPECT_FALSE(HostDescriptorAvailable(&params));
}

TEST(HostUtilityVersions, OnlyPlayInfoOneAsksForTheDialog) {
  PIDescriptorParameters params{};
  for (int16_t playInfo : {0, 1, 2}) {
    params.playInfo = playInfo;
    EXPECT_EQ(HostPlayDialog(&params), playInfo == 1) << playInfo;
  }
}

// Text conversions, run once through the host's procs and once through the
// local fallback (no handle services).
class HostUtilityText : public StoreFixture, public ::testing::WithParamInterface<bool> {
 protected:
  const HandleProcs* procs() { return GetParam() ? handles.procs() : nullptr; }
  std::string Text(Handle h) {
    char* data = HostLockHandle(procs(), h, false);
    std::string text(data, size_t(HostGetHandleSize(procs(), h)));
    HostUnlockHandle(procs(), h);
    return text;
  }
};

TEST_P(HostUtilityText, CStringToHandleKeepsTheCharactersWithoutNul) {
  const std::string longText(40000, 'L');
  const struct {
    std::string text;
    std::string stored;
  } cases[] = {{"abc", "abc"}, {"", ""}, {longText, longText.substr(0, 32767)}};
  for (const auto& c : cases) {
    Handle h = HostCString2Handle(procs(), c.text.c_str());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(HostGetHandleSize(procs(), h), int64_t(c.stored.size()));
    EXPECT_EQ(Text(h), c.stored);
    HostDisposeHandle(procs(), h);
  }
  EXPECT_EQ(handles.liveCount(), 0u);
  EXPECT_EQ(handles.misuseCount(), 0u);
}

TEST_P(HostUtilityText, HandleToCStringNeverWritesPastTheBuffer) {
  Handle h = HostCString2Handle(procs(), std::string(300, 'x').c_str());
  char buffer[300];
  std::memset(buffer, '#', sizeof buffer);
  HostHandle2CString(procs(), h, buffer, 256);
  EXPECT_EQ(std::string(buffer), std::string(255, 'x'));
  for (size_t i = 256; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], '#') << i;

  // Buffers too small for the two NULs the empty string used to take.
  char one[2] = {'#', '#'};
  HostHandle2CString(procs(), h, one, 1);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(one[1], '#');
  HostHandle2CString(procs(), h, one + 1, 0);
  EXPECT_EQ(one[1], '#');
  HostDisposeHandle(procs(), h);
}

TEST_P(HostUtilityText, EmptyOrMissingHandlesGiveTheEmptyString) {
  char buffer[8] = "garbage";
  Handle empty = HostNewHandle(procs(), 0);
  HostHandle2CString(procs(), empty, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "");
  std::strcpy(buffer, "garbage");
  HostHandle2CString(procs(), nullptr, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "");
  HostDisposeHandle(procs(), empty);
}

INSTANTIATE_TEST_SUITE_P(HostAndLocalHandles, HostUtilityText, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "HostProcs" : "LocalFallback"; });

TEST(LocalHandles, ResizeMovesTheDataButKeepsItsBytesAndRespectsLocks) {
  Handle h = LocalHandles::NewHandle(3);
  std::memcpy(*h, "abc", 3);
  ASSERT_EQ(LocalHandles::SetHandleSize(h, 100000), noErr);
  EXPECT_EQ(LocalHandles::GetHandleSize(h), 100000);
  EXPECT_EQ(std::string(*h, 3), "abc");

  LocalHandles::HLock(h);
  EXPECT_EQ(LocalHandles::SetHandleSize(h, 5), LocalHandles::memLockedErr);
  LocalHandles::HUnlock(h);
  EXPECT_EQ(LocalHandles::SetHandleSize(h, 2), noErr);
  EXPECT_EQ(std::string(*h, 2), "ab");
  EXPECT_EQ(LocalHandles::SetHandleSize(h, -1), LocalHandles::memFullErr);
  EXPECT_EQ(LocalHandles::SetHandleSize(nullptr, 1), LocalHandles::nilHandleErr);
  EXPECT_EQ(LocalHandles::NewHandle(-1), nullptr);
  LocalHandles::DisposeHandle(h);
}

class HostUtilityDescriptors : public StoreFixture {
 protected:
  PIDescriptorParameters* params() { return descriptors.parameters(); }
  const WriteDescriptorProcs& write() { return *params()->writeDescriptorProcs; }
  Handle ColorObject() {
    return descriptors.NewDescriptorHandle(base::Descriptor{{{FourCharCode("Grn "), int32_t(5)}}});
  }
};

TEST_F(HostUtilityDescriptors, PutObjDisposesOnlyWhatTheHostAccepted) {
  PIWriteDescriptor writer = write().openWriteDescriptorProc();
  Handle object = ColorObject();
  EXPECT_EQ(HostPutObj(params(), handles.procs(), writer, FourCharCode("BckC"), FourCharCode("RGBC"), &object),
            noErr);
  EXPECT_EQ(object, nullptr);

  descriptors.RefusePut(FourCharCode("Clr "));
  object = ColorObject();
  EXPECT_NE(HostPutObj(params(), handles.procs(), writer, FourCharCode("Clr "), FourCharCode("RGBC"), &object),
            noErr);
  ASSERT_NE(object, nullptr);
  EXPECT_TRUE(handles.Owns(object));
  HostDisposeHandle(handles.procs(), object);

  ASSERT_EQ(HostCloseWriter(params(), handles.procs(), &writer), noErr);
  EXPECT_EQ(handles.liveCount(), 1u);  // the recorded descriptor only
  EXPECT_EQ(handles.misuseCount(), 0u);
}

TEST_F(HostUtilityDescriptors, CloseWriterReplacesTheHeldDescriptor) {
  descriptors.SetReplay(base::Descriptor{{{FourCharCode("Tlrn"), int32_t(1)}}}, plugInDialogDontDisplay);
  params()->recordInfo = plugInDialogRequired;

  PIWriteDescriptor writer = write().openWriteDescriptorProc();
  write().putIntegerProc(writer, FourCharCode("Tlrn"), 2);
  EXPECT_EQ(HostCloseWriter(params(), handles.procs(), &writer), noErr);

  EXPECT_EQ(writer, nullptr);
  EXPECT_EQ(params()->recordInfo, plugInDialogOptional);
  EXPECT_EQ(descriptors.Held(), (base::Descriptor{{{FourCharCode("Tlrn"), int32_t(2)}}}));
  EXPECT_EQ(handles.liveCount(), 1u);  // the old descriptor was disposed of
  EXPECT_EQ(descriptors.openWriters(), 0u);
}

TEST_F(HostUtilityDescriptors, CloseReaderWithoutDescriptorDisposesNothing) {
  descriptors.SetReplay(base::Descriptor{}, plugInDialogDontDisplay);
  PIReadDescriptor reader = params()->readDescriptorProcs->openReadDescriptorProc(params()->descriptor, nullptr);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(HostCloseReader(params(), handles.procs(), &reader), noErr);
  EXPECT_EQ(reader, nullptr);
  EXPECT_EQ(params()->descriptor, nullptr);
  EXPECT_EQ(handles.liveCount(), 0u);

  // Closing again: no reader, no descriptor; nothing is disposed twice.
  EXPECT_EQ(HostCloseReader(params(), handles.procs(), &reader), noErr);
  EXPECT_EQ(handles.misuseCount(), 0u);
  EXPECT_EQ(descriptors.openReaders(), 0u);
}

}  // namespace
}  // namespace tessel::test
