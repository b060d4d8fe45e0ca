#include "tests/support/RunFixture.h"

#include <cstring>
#include <fstream>

#include "host/DescriptorServices.h"
#include "host/HandleServices.h"
#include "plugin/Tessel.h"

namespace tessel::test {

std::unique_ptr<host::PluginModule> RunFixture::sModule;

base::Descriptor DescriptorOf(const CTesselParams& params) {
  host::HandleServices handles;
  host::DescriptorServices descriptors(handles);
  FilterRecord record{};
  record.handleProcs = handles.procs();
  record.descriptorParameters = descriptors.parameters();
  CTessel filter;
  filter.init(&record, nullptr);
  CTesselParams copy = params;
  filter.WriteScript(copy);
  return descriptors.Held().value();
}

void SetParameterBlock(host::Host& host, const CTesselParams& params) {
  const _STesselParams& plain = params;
  host.filterRecord().parameters =
      host.handles().FromBytes(std::string(reinterpret_cast<const char*>(&plain), sizeof plain));
}

bool ParameterBlock(host::Host& host, CTesselParams& params) {
  const std::string bytes = host.handles().Bytes(host.filterRecord().parameters);
  if (bytes.size() != sizeof(_STesselParams)) return false;
  _STesselParams& plain = params;
  std::memcpy(&plain, bytes.data(), bytes.size());
  return true;
}

void WriteRgbSwatches(const boost::filesystem::path& file, const std::vector<std::array<uint8_t, 3>>& colors) {
  boost::filesystem::create_directories(file.parent_path());
  std::string bytes;
  auto put16 = [&](unsigned value) {
    bytes += static_cast<char>(value >> 8);
    bytes += static_cast<char>(value & 0xFF);
  };
  put16(1);
  put16(static_cast<unsigned>(colors.size()));
  for (const auto& c : colors) {
    put16(0);  // RGB
    for (uint8_t component : c) put16(component * 257u);
    put16(0);
  }
  WriteBytes(file, bytes);
}

std::unique_ptr<base::ImageBuffer> FilledPage(int64_t width, int64_t height, int planes, uint8_t fill) {
  auto page = std::make_unique<base::ImageBuffer>(base::ImageGeometry{width, height, planes});
  page->Fill(std::vector<uint8_t>(static_cast<size_t>(planes), fill));
  return page;
}

void DrawCross(base::ImageBuffer& page, int64_t x, int64_t y) {
  const std::vector<uint8_t> black(static_cast<size_t>(page.planes()), 0);
  for (int64_t row = 0; row < page.height(); ++row) page.SetPixel(x, row, black);
  for (int64_t column = 0; column < page.width(); ++column) page.SetPixel(column, y, black);
}

std::unique_ptr<base::ImageBuffer> Copy(const base::ImageBuffer& page) {
  auto copy = std::make_unique<base::ImageBuffer>(page.geometry());
  std::memcpy(copy->data(), page.data(), static_cast<size_t>(page.sizeBytes()));
  return copy;
}

bool Ran(const host::RunReport& report, int16_t selector) {
  for (const auto& call : report.calls)
    if (call.selector == selector) return true;
  return false;
}

host::RunReport RunFixture::RunCaptured(const host::RunRequest& request) {
  ::testing::internal::CaptureStderr();
  host::RunReport report = session.Run(request);
  shown = ::testing::internal::GetCapturedStderr();
  return report;
}

size_t RunFixture::TimesShown(const std::string& text) const {
  size_t count = 0;
  for (size_t at = shown.find(text); at != std::string::npos; at = shown.find(text, at + text.size())) ++count;
  return count;
}

}  // namespace tessel::test
