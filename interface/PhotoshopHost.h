// The editor's filter plug-in interface as Tessel uses it: records, callbacks,
// selectors and result codes under their published names. Only what the filter
// and our own host touch is declared.
//
// One deliberate widening: image geometry (`imageSize`, the rectangles) is
// 32-bit, as in the editor's big-document records, so pages wider or taller
// than 32767 pixels are described exactly.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

typedef int16_t OSErr;
typedef int32_t SPErr;
typedef unsigned char Boolean;
typedef char* Ptr;
typedef char** Handle;
typedef uint32_t DescType;
typedef uint32_t DescriptorKeyID;
typedef DescriptorKeyID DescriptorKeyIDArray[];

// The host's 16-bit RGB colour, each component 0..65535.
typedef struct _t_ASRGBColor {
  uint16_t red;
  uint16_t green;
  uint16_t blue;
} ASRGBColor;

// ---- Selectors and result codes ------------------------------------------

enum : int16_t {
  filterSelectorAbout = 0,
  filterSelectorParameters = 1,
  filterSelectorPrepare = 2,
  filterSelectorStart = 3,
  filterSelectorContinue = 4,
  filterSelectorFinish = 5,
};

enum : int16_t {
  noErr = 0,
  userCanceledErr = -128,
  filterBadParameters = -30100,
};

// filterCase values above this one describe a layer (transparency kept apart).
enum : int16_t {
  filterCaseUnsupported = -1,
  filterCaseFlatImageNoSelection = 1,
  filterCaseFlatImageWithSelection = 2,
  filterCaseFloatingSelection = 3,
  filterCaseEditableTransparencyNoSelection = 4,
};

enum : int16_t {
  plugInModeBitmap = 0,
  plugInModeGrayScale = 1,
  plugInModeIndexedColor = 2,
  plugInModeRGBColor = 3,
  plugInModeCMYKColor = 4,
  plugInModeHSLColor = 5,
  plugInModeHSBColor = 6,
  plugInModeMultichannel = 7,
  plugInModeDuotone = 8,
  plugInModeLabColor = 9,
};

// ---- Geometry -------------------------------------------------------------

typedef struct VPoint {
  int32_t v;
  int32_t h;
} VPoint;

typedef struct VRect {
  int32_t top;
  int32_t left;
  int32_t bottom;
  int32_t right;
} VRect;

// ---- Colour services ------------------------------------------------------

enum : int16_t {
  plugIncolorServicesChooseColor = 0,
  plugIncolorServicesConvertColor = 1,
};

enum : int16_t {
  plugIncolorServicesRGBSpace = 0,
  plugIncolorServicesHSBSpace = 1,
  plugIncolorServicesCMYKSpace = 2,
  plugIncolorServicesLabSpace = 3,
  plugIncolorServicesGraySpace = 4,
};

typedef unsigned char Str255[256];

typedef struct ColorServicesInfo {
  int32_t infoSize;
  int16_t selector;
  int16_t sourceSpace;
  int16_t resultSpace;
  Boolean resultGamutInfoValid;
  Boolean resultInGamut;
  void* reservedSourceSpaceInfo;
  void* reservedResultSpaceInfo;
  int16_t colorComponents[4];
  void* reserved;
  union {
    Str255* pickerPrompt;
    VPoint* globalSamplePoint;
    int32_t specialColorID;
  } selectorParameter;
} ColorServicesInfo;

typedef OSErr (*ColorServicesProc)(ColorServicesInfo* info);

// ---- Handles --------------------------------------------------------------

typedef Handle (*NewPIHandleProc)(int32_t size);
typedef void (*DisposePIHandleProc)(Handle h);
typedef int32_t (*GetPIHandleSizeProc)(Handle h);
typedef OSErr (*SetPIHandleSizeProc)(Handle h, int32_t newSize);
typedef Ptr (*LockPIHandleProc)(Handle h, Boolean moveHigh);
typedef void (*UnlockPIHandleProc)(Handle h);
typedef void (*RecoverSpaceProc)(int32_t size);
typedef void (*DisposeRegularHandlePIHandleProc)(Handle h);

typedef struct HandleProcs {
  int16_t handleProcsVersion;
  int16_t numHandleProcs;
  NewPIHandleProc newProc;
  DisposePIHandleProc disposeProc;
  GetPIHandleSizeProc getSizeProc;
  SetPIHandleSizeProc setSizeProc;
  LockPIHandleProc lockProc;
  UnlockPIHandleProc unlockProc;
  RecoverSpaceProc recoverSpaceProc;
  DisposeRegularHandlePIHandleProc disposeRegularHandleProc;
} HandleProcs;

enum : int16_t { kCurrentHandleProcsVersion = 1, kCurrentHandleProcsCount = 8 };

// ---- Scripting descriptors ------------------------------------------------

typedef struct PIOpaqueReadDescriptor* PIReadDescriptor;
typedef struct PIOpaqueWriteDescriptor* PIWriteDescriptor;
typedef Handle PIDescriptorHandle;

typedef struct PIDescriptorSimpleReference {
  DescType desiredClass;
  DescType keyForm;
  struct {
    int32_t index;
    char name[256];
  } keyData;
} PIDescriptorSimpleReference;

typedef PIReadDescriptor (*OpenReadDescriptorProc)(PIDescriptorHandle, DescriptorKeyIDArray);
typedef OSErr (*CloseReadDescriptorProc)(PIReadDescriptor);
typedef Boolean (*GetKeyProc)(PIReadDescriptor, DescriptorKeyID* key, DescType* type, int32_t* flags);
typedef OSErr (*GetIntegerProc)(PIReadDescriptor, int32_t*);
typedef OSErr (*GetFloatProc)(PIReadDescriptor, double*);
typedef OSErr (*GetUnitFloatProc)(PIReadDescriptor, DescType*, double*);
typedef OSErr (*GetBooleanProc)(PIReadDescriptor, Boolean*);
typedef OSErr (*GetTextProc)(PIReadDescriptor, Handle*);
typedef OSErr (*GetAliasProc)(PIReadDescriptor, Handle*);
typedef OSErr (*GetEnumeratedProc)(PIReadDescriptor, DescType*);
typedef OSErr (*GetClassProc)(PIReadDescriptor, DescType*);
typedef OSErr (*GetSimpleReferenceProc)(PIReadDescriptor, PIDescriptorSimpleReference*);
typedef OSErr (*GetObjectProc)(PIReadDescriptor, DescType*, PIDescriptorHandle*);
typedef OSErr (*GetCountProc)(PIReadDescriptor, uint32_t*);
typedef OSErr (*GetStringProc)(PIReadDescriptor, Str255*);
typedef OSErr (*GetPinnedIntegerProc)(PIReadDescriptor, int32_t, int32_t, int32_t*);
typedef OSErr (*GetPinnedFloatProc)(PIReadDescriptor, const double*, const double*, double*);
typedef OSErr (*GetPinnedUnitFloatProc)(PIReadDescriptor, const double*, const double*, DescType*, double*);

typedef struct ReadDescriptorProcs {
  int16_t readDescriptorProcsVersion;
  int16_t numReadDescriptorProcs;
  OpenReadDescriptorProc openReadDescriptorProc;
  CloseReadDescriptorProc closeReadDescriptorProc;
  GetKeyProc getKeyProc;
  GetIntegerProc getIntegerProc;
  GetFloatProc getFloatProc;
  GetUnitFloatProc getUnitFloatProc;
  GetBooleanProc getBooleanProc;
  GetTextProc getTextProc;
  GetAliasProc getAliasProc;
  GetEnumeratedProc getEnumeratedProc;
  GetClassProc getClassProc;
  GetSimpleReferenceProc getSimpleReferenceProc;
  GetObjectProc getObjectProc;
  GetCountProc getCountProc;
  GetStringProc getStringProc;
  GetPinnedIntegerProc getPinnedIntegerProc;
  GetPinnedFloatProc getPinnedFloatProc;
  GetPinnedUnitFloatProc getPinnedUnitFloatProc;
} ReadDescriptorProcs;

typedef PIWriteDescriptor (*OpenWriteDescriptorProc)(void);
typedef OSErr (*CloseWriteDescriptorProc)(PIWriteDescriptor, PIDescriptorHandle*);
typedef OSErr (*PutIntegerProc)(PIWriteDescriptor, DescriptorKeyID, int32_t);
typedef OSErr (*PutFloatProc)(PIWriteDescriptor, DescriptorKeyID, const double*);
typedef OSErr (*PutUnitFloatProc)(PIWriteDescriptor, DescriptorKeyID, DescType, const double*);
typedef OSErr (*PutBooleanProc)(PIWriteDescriptor, DescriptorKeyID, Boolean);
typedef OSErr (*PutTextProc)(PIWriteDescriptor, DescriptorKeyID, Handle);
typedef OSErr (*PutAliasProc)(PIWriteDescriptor, DescriptorKeyID, Handle);
typedef OSErr (*PutEnumeratedProc)(PIWriteDescriptor, DescriptorKeyID, DescType, DescType);
typedef OSErr (*PutClassProc)(PIWriteDescriptor, DescriptorKeyID, DescType);
typedef OSErr (*PutSimpleReferenceProc)(PIWriteDescriptor, DescriptorKeyID, const PIDescriptorSimpleReference*);
typedef OSErr (*PutObjectProc)(PIWriteDescriptor, DescriptorKeyID, DescType, PIDescriptorHandle);
typedef OSErr (*PutCountProc)(PIWriteDescriptor, DescriptorKeyID, uint32_t);
typedef OSErr (*PutStringProc)(PIWriteDescriptor, DescriptorKeyID, const unsigned char*);
typedef OSErr (*PutScopedClassProc)(PIWriteDescriptor, DescriptorKeyID, DescType);
typedef OSErr (*PutScopedObjectProc)(PIWriteDescriptor, DescriptorKeyID, DescType, PIDescriptorHandle);

typedef struct WriteDescriptorProcs {
  int16_t writeDescriptorProcsVersion;
  int16_t numWriteDescriptorProcs;
  OpenWriteDescriptorProc openWriteDescriptorProc;
  CloseWriteDescriptorProc closeWriteDescriptorProc;
  PutIntegerProc putIntegerProc;
  PutFloatProc putFloatProc;
  PutUnitFloatProc putUnitFloatProc;
  PutBooleanProc putBooleanProc;
  PutTextProc putTextProc;
  PutAliasProc putAliasProc;
  PutEnumeratedProc putEnumeratedProc;
  PutClassProc putClassProc;
  PutSimpleReferenceProc putSimpleReferenceProc;
  PutObjectProc putObjectProc;
  PutCountProc putCountProc;
  PutStringProc putStringProc;
  PutScopedClassProc putScopedClassProc;
  PutScopedObjectProc putScopedObjectProc;
} WriteDescriptorProcs;

enum : int16_t {
  kCurrentDescriptorParametersVersion = 0,
  kCurrentReadDescriptorProcsVersion = 0,
  kCurrentReadDescriptorProcsCount = 18,
  kCurrentWriteDescriptorProcsVersion = 0,
  kCurrentWriteDescriptorProcsCount = 16,
};

// playInfo values
enum : int16_t {
  plugInDialogDontDisplay = 0,
  plugInDialogDisplay = 1,
  plugInDialogSilent = 2,
};

// recordInfo values
enum : int16_t {
  plugInDialogOptional = 0,
  plugInDialogRequired = 1,
  plugInDialogNone = 2,
};

typedef struct PIDescriptorParameters {
  int16_t descriptorParametersVersion;
  int16_t playInfo;
  int16_t recordInfo;
  PIDescriptorHandle descriptor;
  WriteDescriptorProcs* writeDescriptorProcs;
  ReadDescriptorProcs* readDescriptorProcs;
} PIDescriptorParameters;

// Descriptor item types.
enum : DescType {
  typeInteger = 0x6C6F6E67,  // 'long'
  typeBoolean = 0x626F6F6C,  // 'bool'
  typeText = 0x54455854,     // 'TEXT'
  typeObject = 0x4F626A63,   // 'Objc'
};

// ---- Suites ---------------------------------------------------------------

typedef struct SPBasicSuite {
  SPErr (*AcquireSuite)(const char* name, int32_t version, const void** suite);
  SPErr (*ReleaseSuite)(const char* name, int32_t version);
  Boolean (*IsEqual)(const char* token1, const char* token2);
  SPErr (*AllocateBlock)(size_t size, void** block);
  SPErr (*FreeBlock)(void* block);
  SPErr (*ReallocateBlock)(void* block, size_t newSize, void** newblock);
  SPErr (*Undefined)(void);
} SPBasicSuite;

// The host's file reference that passes between the two folder suites.
typedef struct SPPlatformFileSpecification {
  unsigned char hidden[80];
} SPPlatformFileSpecification;

#define kPSGetFileListSuite "Photoshop GetFileList Suite for Plug-ins"
#define kPSGetFileListSuiteVersion5 5
#define kPSGetPathSuite "Photoshop GetPath Suite for Plug-ins"
#define kPSGetPathSuiteVersion1 1

typedef SPErr (*GetFileListSuiteUnusedProc)(void);
typedef SPErr (*GetPresetsFolderProc)(SPPlatformFileSpecification* presetsFolder);

// Version 5: the presets folder comes from the twelfth function.
typedef struct PSGetFileListSuite5 {
  GetFileListSuiteUnusedProc unused[11];
  GetPresetsFolderProc GetPresetsFolderSpec;
} PSGetFileListSuite5;

typedef SPErr (*GetPathNameProc)(const SPPlatformFileSpecification* fileSpec, char* path, int32_t maxLength);

typedef struct PSGetPathSuite1 {
  GetPathNameProc GetPathName;
} PSGetPathSuite1;

// ---- Records handed to PluginMain -----------------------------------------

typedef Boolean (*TestAbortProc)(void);
typedef void (*ProgressProc)(int32_t done, int32_t total);
typedef OSErr (*AdvanceStateProc)(void);

typedef struct PlugInRefRecord* PIPlugInRef;

typedef struct AboutRecord {
  void* platformData;
  SPBasicSuite* sSPBasic;
  PIPlugInRef plugInRef;
} AboutRecord;

typedef struct FilterRecord {
  int32_t serialNumber;
  TestAbortProc abortProc;
  ProgressProc progressProc;
  Handle parameters;
  VPoint imageSize;
  int16_t planes;
  VRect filterRect;
  int32_t maxSpace;
  int32_t bufferSpace;
  VRect inRect;
  int16_t inLoPlane;
  int16_t inHiPlane;
  VRect outRect;
  int16_t outLoPlane;
  int16_t outHiPlane;
  void* inData;
  int32_t inRowBytes;
  void* outData;
  int32_t outRowBytes;
  Boolean isFloating;
  Boolean haveMask;
  Boolean autoMask;
  VRect maskRect;
  void* maskData;
  int32_t maskRowBytes;
  AdvanceStateProc advanceState;
  int16_t imageMode;
  ColorServicesProc colorServices;
  HandleProcs* handleProcs;
  int16_t filterCase;
  int16_t outLayerPlanes;
  int16_t outColumnBytes;
  int32_t outPlaneBytes;
  PIDescriptorParameters* descriptorParameters;
  SPBasicSuite* sSPBasic;
  PIPlugInRef plugInRef;
} FilterRecord;

// The module's one entry point.
typedef void (*PluginMainProc)(int16_t selector, void* pluginParamBlock, intptr_t* data, int16_t* result);

}  // extern "C"
