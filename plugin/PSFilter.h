// The small framework every filter of this kind sits on: it holds the host's
// records for one run and turns each selector into a virtual operation.
#pragma once

#include <cstdint>

#include "interface/PhotoshopHost.h"

class CPSPaletteColor;

class CPSFilter {
 public:
  CPSFilter() = default;
  CPSFilter(const CPSFilter&) = delete;
  CPSFilter& operator=(const CPSFilter&) = delete;
  virtual ~CPSFilter() = default;

  // One operation per selector; each answers a host result code, 0 on success.
  virtual int16_t DoAbout() { return noErr; }
  virtual int16_t DoParameters() { return noErr; }
  virtual int16_t DoPrepare() { return noErr; }
  virtual int16_t DoStart() { return noErr; }
  virtual int16_t DoContinue();
  virtual int16_t DoFinish() { return noErr; }

  // Runs the operation of `selector`; -30100 for any selector outside 0..5.
  // The record argument is not consulted: operations use mFilterRecord.
  int16_t FilterSelector(int16_t selector, FilterRecord* record);

  void init(FilterRecord* filterRecord, AboutRecord* aboutRecord);
  void terminate() {}
  static CPSFilter* Instance();
  PIPlugInRef GetPluginRef() const;

  // Host colour services. Each answers false, leaving its output untouched,
  // when the host fails or offers no colour services.
  int16_t GetPluginServicesSpace() const;
  bool ConvertColor(_t_ASRGBColor& color, unsigned char (&out)[4]);
  bool ConvertColor(CPSPaletteColor& color, unsigned char (&out)[4]);
  bool LetUserPickColor(unsigned char (&color)[4], bool rgbResult);

  // Writes the host's presets folder as a NUL-terminated POSIX path; an empty
  // string when the host cannot name it.
  void GetPresetsPath(char* buffer, short bufferSize);

  // A warning alert titled with the filter's name.
  void Alert(const char* message);

  FilterRecord* mFilterRecord = nullptr;
  AboutRecord* mAboutRecord = nullptr;
  const char* mName = nullptr;
};

// Provided by the concrete filter: allocates it. Throws only on exhausted memory.
CPSFilter* CreateFilterPlugin();

// Process-wide state of the current call; the host runs one filter at a time.
extern SPBasicSuite* sSPBasic;
extern const PSGetFileListSuite5* sFileList;
extern const PSGetPathSuite1* sPSGetPath;
extern CPSFilter* sCPSFilterPlugin;
