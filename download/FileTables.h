// The update server's addresses and the file tables of the two download passes.
#pragma once

namespace download {

// The update server; both passes fetch from it, each under its own path.
inline constexpr const char* kUpdateHost = "update.valtern.jp";
inline constexpr const char* kBaseAddress1 = "http://update.valtern.jp/brevan/v128/";
inline constexpr const char* kBaseAddress2 = "http://update.valtern.jp/brevan/20251299/";

// Files of pass (1), fetched whatever is ticked. Positions are shared with the expansion run.
extern const char* const CommonFiles1[23];
// Files of pass (2).
extern const char* const CommonFiles2[42];
// Plug-in files per item of the standards list (row = item number); unused cells are null.
extern const char* const StandardFiles1[22][12];
extern const char* const StandardFiles2[22][80];

}  // namespace download
