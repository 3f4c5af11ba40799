// The extension-restore rule, row by row.
#include "install/RestoreExtension.h"

#include <gtest/gtest.h>

namespace {

struct Row {
  const char* entry;
  const char* restored;
};

TEST(RestoreExtension, EveryRowOfTheTable) {
  const Row rows[] = {
      {"PICTDESK.EX_", "PICTDESK.EXE"},
      {"LIB.DL_", "LIB.DLL"},
      {"KOKUDO.SP_", "KOKUDO.SPI"},
      {"A.LA_", "A.LAY"},
      {"PICTDESK.IN_", "PICTDESK.INI"},
      {"R.TX_", "R.TXT"},
      {"T.4K_", "T.4KE"},
      {"T.4N_", "T.4NO"},
      {"T.6K_", "T.6KE"},
      {"T.6N_", "T.6NO"},
      {"T.0K_", "T.0KE"},
      {"T.1N_", "T.1NO"},
      {"FORM.XL_", "FORM.XLS"},
      {"FORM.DO_", "FORM.DOC"},
      {"K.KU_", "K.KUK"},
      // The three two-letter restorations.
      {"T.JH_", "T.JH"},
      {"T.NK_", "T.NK"},
      {"T.EZ_", "T.EZ"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.entry);
    EXPECT_EQ(install::RestoreExtension(row.entry), row.restored);
    EXPECT_EQ(install::RestoredName(row.entry), row.restored);
  }
}

TEST(RestoreExtension, DefaultAndSpecialNames) {
  const Row rows[] = {
      // Harbour templates and archives take the default.
      {"KEN.KO_", "KEN.KOU"},
      {"CORINS0.lzh", "CORINS0.KOU"},
      {"MERGEHELP.LZH", "MERGEHELP.KOU"},
      // Letter case of the entry is ignored; the stem is kept as it stands.
      {"kokudo.sp_", "kokudo.SPI"},
      {"Mixed.Ex_", "Mixed.EXE"},
      {"t.jh_", "t.JH"},
      // Only the last extension counts.
      {"a.b.dl_", "a.b.DLL"},
      {"a.dl_.lzh", "a.dl_.KOU"},
      // Already restored extensions are not in the table either.
      {"PICTDESK.EXE", "PICTDESK.KOU"},
      {"T.JH", "T.KOU"},
      // No extension: ".KOU" is appended; a lone dot is an extension of its own.
      {"README", "README.KOU"},
      {"name.", "name.KOU"},
      {"", ".KOU"},
      {".SP_", ".SPI"},
      // Extensions that only resemble a row.
      {"A.EX", "A.KOU"},
      {"A.EX__", "A.KOU"},
      {"A.EXE_", "A.KOU"},
      // Multi-byte stems stay untouched (UTF-8 of a Japanese name).
      {"\xE6\xA8\x99\xE6\xBA\x96.sp_", "\xE6\xA8\x99\xE6\xBA\x96.SPI"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.entry);
    EXPECT_EQ(install::RestoreExtension(row.entry), row.restored);
  }
}

}  // namespace
