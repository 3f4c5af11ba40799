// The binding of the LHA archive library "UNLHA32.DLL".
#include "install/LhaBinding.h"

#include <utility>

namespace {

// The library's entry points in their fixed order, with their counts of arguments.
constexpr std::array<std::pair<const char*, int>, LhaBinding::kEntryCount> kTable = {{
    {"UnlhaGetVersion", 0},
    {"UnlhaGetSubVersion", 0},
    {"UnlhaGetRunning", 0},
    {"UnlhaGetBackGroundMode", 0},
    {"UnlhaSetBackGroundMode", 1},
    {"UnlhaGetCursorMode", 0},
    {"UnlhaSetCursorMode", 1},
    {"UnlhaGetCursorInterval", 0},
    {"UnlhaSetCursorInterval", 1},
    {"Unlha", 4},
    {"UnlhaCheckArchive", 2},
    {"UnlhaConfigDialog", 3},
    {"UnlhaGetFileCount", 1},
    {"UnlhaOpenArchive", 3},
    {"UnlhaCloseArchive", 1},
    {"UnlhaFindFirst", 3},
    {"UnlhaFindNext", 2},
    {"UnlhaGetArcFileName", 3},
    {"UnlhaGetArcFileSize", 1},
    {"UnlhaGetArcOriginalSize", 1},
    {"UnlhaGetArcCompressedSize", 1},
    {"UnlhaGetArcRatio", 1},
    {"UnlhaGetArcDate", 1},
    {"UnlhaGetArcTime", 1},
    {"UnlhaGetArcOSType", 1},
    {"UnlhaGetFileName", 3},
    {"UnlhaGetMethod", 3},
    {"UnlhaGetOriginalSize", 1},
    {"UnlhaGetCompressedSize", 1},
    {"UnlhaGetRatio", 1},
    {"UnlhaGetDate", 1},
    {"UnlhaGetTime", 1},
    {"UnlhaGetWriteTime", 1},
    {"UnlhaGetAccessTime", 1},
    {"UnlhaGetCreateTime", 1},
    {"UnlhaGetCRC", 1},
    {"UnlhaGetAttribute", 1},
    {"UnlhaGetOSType", 1},
    {"UnlhaQueryFunctionList", 1},
    {"UnlhaSetOwnerWindow", 1},
    {"UnlhaClearOwnerWindow", 0},
}};

constexpr size_t kUnlhaGetVersion = 0;
constexpr size_t kUnlha = 9;

}  // namespace

LhaBinding::LhaBinding(platform::Libraries& libraries, PanicBox panicBox)
    : m_panicBox(std::move(panicBox)) {
  for (size_t i = 0; i < kEntryCount; ++i)
    m_entries[i] = {kTable[i].first, kTable[i].second, nullptr};
  m_library = libraries.load("UNLHA32.DLL");
  if (!m_library) return;
  for (auto& entry : m_entries) entry.address = m_library->symbol(entry.name);
}

LhaBinding::~LhaBinding() = default;

int32_t LhaBinding::stub(size_t index) {
  if (m_panicBox)
    m_panicBox("PANIC!!", std::string(m_entries[index].name) + ": LHA.DLL not loaded.");
  return 0;
}

int32_t LhaBinding::Unlha(void* ownerWindow, const char* commandLine, char* output,
                          uint32_t outputSize) {
  void* address = m_entries[kUnlha].address;
  if (!address) return stub(kUnlha);
  return reinterpret_cast<UnlhaProc>(address)(ownerWindow, commandLine, output, outputSize);
}

int32_t LhaBinding::UnlhaGetVersion() {
  void* address = m_entries[kUnlhaGetVersion].address;
  if (!address) return stub(kUnlhaGetVersion);
  return reinterpret_cast<UnlhaGetVersionProc>(address)();
}
