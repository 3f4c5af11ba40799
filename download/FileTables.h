// The update server's addresses and the file tables of the two download passes: names on the
// update server and in the work folder.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace download {

// The update server; both passes fetch from it, each under its own path.
inline constexpr const char* kUpdateHost = "update.valtern.jp";
inline constexpr const char* kBaseAddress1 = "http://update.valtern.jp/brevan/v128/";
inline constexpr const char* kBaseAddress2 = "http://update.valtern.jp/brevan/20251299/";

// Plug-in files per item of the standards list (row = item number); a row ends at its first
// empty cell.
template <std::size_t Cells>
using StandardTable = std::array<std::array<std::string_view, Cells>, 22>;

// Files of pass (1), fetched whatever is ticked. Positions are shared with the expansion run.
inline constexpr std::array<std::string_view, 23> CommonFiles1 = {
    "PictDesk.ex_", "StepDlg.ex_", "BrvCadX.ex_",  "XmlPeek.ex_", "PAGESET.EX_",  "BRVHELP.EX_",
    "CoreApi.dl_",  "MAILOUT.DL_", "PICTDESK.IN_", "LIST.4K_",    "TEMPLATE.4K_", "LIST.4N_",
    "TEMPLATE.4N_", "LIST.6K_",    "TEMPLATE.6K_", "LIST.6N_",    "TEMPLATE.6N_", "LIST.JH_",
    "TEMPLATE.JH_", "CORINS0.lzh", "CORINS5.lzh",  "CORINS6.lzh", "ヘルプ.lzh"};

// Files of pass (2).
inline constexpr std::array<std::string_view, 42> CommonFiles2 = {"PictDesk.ex_",
                                                                  "StepDlg.ex_",
                                                                  "BrvCadX.ex_",
                                                                  "XmlPeek.ex_",
                                                                  "PAGESET.EX_",
                                                                  "XFRM130.EX_",
                                                                  "FormDesigner.Ex_",
                                                                  "BrvHelp.Ex_",
                                                                  "DeskRun.Ex_",
                                                                  "CoreApi.dl_",
                                                                  "MAILOUT.DL_",
                                                                  "PICTDESK.IN_",
                                                                  "LIST.4K_",
                                                                  "TEMPLATE.4K_",
                                                                  "LIST.4N_",
                                                                  "TEMPLATE.4N_",
                                                                  "LIST.6K_",
                                                                  "TEMPLATE.6K_",
                                                                  "LIST.6N_",
                                                                  "TEMPLATE.6N_",
                                                                  "LIST.JH_",
                                                                  "TEMPLATE.JH_",
                                                                  "LIST.NK_",
                                                                  "TEMPLATE.NK_",
                                                                  "LIST.EZ_",
                                                                  "TEMPLATE.EZ_",
                                                                  "LIST.0K_",
                                                                  "TEMPLATE.0K_",
                                                                  "LIST.1N_",
                                                                  "TEMPLATE.1N_",
                                                                  "LIST.KU_",
                                                                  "TEMPLATE.KU_",
                                                                  "LIST.KO_",
                                                                  "TEMPLATE.KO_",
                                                                  "CORINS0.lzh",
                                                                  "CORINS5.lzh",
                                                                  "CORINS6.lzh",
                                                                  "MERGEHELP.IN_",
                                                                  "MakeLedger_Mech.ex_",
                                                                  "MakeLedger_Facil.ex_",
                                                                  "ShotDate.dl_",
                                                                  "EXIF.DL_"};

// Plug-in names: kind prefix (none, PHOTO, CAD with the body code padded by '_', BORING), the
// issuing body's code and the edition's year and month. Rows 4 to 10 of the first table belong
// to other issuing bodies than the list items of the same number; they go by number all the same.
inline constexpr StandardTable<12> StandardFiles1 = {{
    {"MLIT200104.SP_", "PHOTOMLIT200104.SP_", "CADMLIT__200104.SP_", "BORINGMLIT200104.SP_",
     "MLIT200207.SP_", "PHOTOMLIT200207.SP_", "CADMLIT__200207.SP_", "BORINGMLIT200207.SP_",
     "MLIT200304.SP_"},  // 0
    {"MAFF200104.SP_", "PHOTOMAFF200104.SP_", "CADMAFF__200104.SP_", "BORINGMAFF200104.sp_",
     "MAFF200207.SP_", "PHOTOMAFF200207.SP_", "CADMAFF__200207.SP_", "BORINGMAFF200207.sp_"},  // 1
    {"EHIME200104.SP_", "PHOTOEHIME200104.SP_", "CADEHIME_200104.sp_", "BORINGEHIME200104.SP_",
     "EHIME200207.SP_", "PHOTOEHIME200207.sp_", "CADEHIME_200207.SP_", "BORINGEHIME200207.SP_",
     "EHIME200304.sp_", "PHOTOEHIME200304.SP_", "FORMEHIME200404.xl_"},  // 2
    {"KOCHI200104.SP_", "PHOTOKOCHI200104.SP_", "CADKOCHI_200104.SP_", "BORINGKOCHI200104.sp_",
     "KOCHI200207.SP_", "PHOTOKOCHI200207.SP_", "CADKOCHI_200207.SP_", "BORINGKOCHI200207.sp_",
     "KOCHI200304.SP_", "PHOTOKOCHI200304.SP_", "CADKOCHI_200304.SP_",
     "BORINGKOCHI200304.sp_"},  // 3
    {"OITA200104.SP_", "PHOTOOITA200104.SP_", "CADOITA__200104.SP_", "PHOTOOITA200104.SP_",
     "BORINGOITA200104.SP_", "OITA200207.SP_", "PHOTOOITA200207.SP_", "FORMOITA200404.XL_"},  // 4
    {"NEXCO200104.SP_", "PHOTONEXCO200104.SP_", "CADNEXCO_200104.SP_",
     "BORINGNEXCO200104.sp_"},                                           // 5
    {"TOKYO200104.SP_", "PHOTOTOKYO200104.SP_", "CADTOKYO_200104.SP_"},  // 6
    {"OSAKA200104.SP_", "PHOTOOSAKA200104.SP_", "CADOSAKA_200104.SP_",
     "BORINGOSAKA200104.sp_"},  // 7
    {"AICHI200104.SP_", "PHOTOAICHI200104.SP_", "CADAICHI_200104.SP_", "BORINGAICHI200104.SP_",
     "AICHI200207.SP_"},                                                 // 8
    {"KYOTO200104.SP_", "PHOTOKYOTO200104.SP_", "CADKYOTO_200104.SP_"},  // 9
    {"HYOGO200104.SP_", "PHOTOHYOGO200104.SP_", "CADHYOGO_200104.SP_",
     "BORINGHYOGO200104.SP_"},  // 10
    {},                         // 11
    {},                         // 12
    {},                         // 13
    {},                         // 14
    {},                         // 15
    {},                         // 16
    {},                         // 17
    {},                         // 18
    {},                         // 19
    {},                         // 20
    {},                         // 21
}};

inline constexpr StandardTable<80> StandardFiles2 = {{
    {"MLIT200104.SP_", "PHOTOMLIT200104.SP_", "CADMLIT__200104.SP_", "BORINGMLIT200104.SP_",
     "MLIT200207.sp_", "PHOTOMLIT200207.SP_", "CADMLIT__200207.SP_", "BORINGMLIT200207.SP_",
     "MLIT200304.SP_", "PHOTOMLIT200304.sp_", "CADMLIT__200304.SP_", "BORINGMLIT200304.SP_",
     "MLIT200404.SP_", "PHOTOMLIT200404.SP_", "CADMLIT__200404.sp_", "BORINGMLIT200404.SP_"},  // 0
    {"MAFF200104.SP_", "PHOTOMAFF200104.SP_", "CADMAFF__200104.SP_", "BORINGMAFF200104.SP_",
     "MAFF200207.SP_", "PHOTOMAFF200207.SP_", "CADMAFF__200207.SP_", "BORINGMAFF200207.SP_"},  // 1
    {"EHIME200104.SP_", "PHOTOEHIME200104.SP_", "CADEHIME_200104.SP_", "BORINGEHIME200104.SP_",
     "EHIME200207.SP_", "PHOTOEHIME200207.SP_", "CADEHIME_200207.SP_", "BORINGEHIME200207.SP_",
     "EHIME200304.SP_", "PHOTOEHIME200304.SP_", "CADEHIME_200304.SP_", "BORINGEHIME200304.SP_",
     "EHIME200404.SP_", "PHOTOEHIME200404.SP_", "CADEHIME_200404.SP_", "BORINGEHIME200404.SP_",
     "EHIME200506.SP_", "PHOTOEHIME200506.SP_", "CADEHIME_200506.SP_", "BORINGEHIME200506.SP_",
     "EHIME200607.SP_", "PHOTOEHIME200607.SP_", "CADEHIME_200607.SP_", "BORINGEHIME200607.SP_",
     "EHIME200704.SP_"},  // 2
    {"KOCHI200104.SP_",     "PHOTOKOCHI200104.SP_", "CADKOCHI_200104.SP_", "BORINGKOCHI200104.SP_",
     "KOCHI200207.sp_",     "PHOTOKOCHI200207.SP_", "CADKOCHI_200207.SP_", "BORINGKOCHI200207.SP_",
     "KOCHI200304.SP_",     "PHOTOKOCHI200304.sp_", "CADKOCHI_200304.SP_", "BORINGKOCHI200304.SP_",
     "KOCHI200404.SP_",     "PHOTOKOCHI200404.SP_", "CADKOCHI_200404.sp_", "BORINGKOCHI200404.SP_",
     "KOCHI200506.SP_",     "PHOTOKOCHI200506.SP_", "CADKOCHI_200506.SP_", "BORINGKOCHI200506.sp_",
     "KOCHI200607.SP_",     "PHOTOKOCHI200607.SP_", "CADKOCHI_200607.SP_", "BORINGKOCHI200607.SP_",
     "FORMKOCHI200404.xl_", "FORMKOCHI200506.xl_"},  // 3
    {"KAGAWA200104.SP_", "PHOTOKAGAWA200104.SP_", "CADKAGAWA200104.SP_", "BORINGKAGAWA200104.SP_",
     "KAGAWA200207.SP_", "PHOTOKAGAWA200207.SP_", "CADKAGAWA200207.SP_",
     "BORINGKAGAWA200207.SP_"},  // 4
    {"JH200104.SP_", "PHOTOJH200104.SP_", "CADJH____200104.SP_", "BORINGJH200104.SP_",
     "JH200207.SP_", "PHOTOJH200207.SP_"},                                                  // 5
    {"JWA200104.SP_", "PHOTOJWA200104.SP_", "CADJWA___200104.SP_", "BORINGJWA200104.SP_"},  // 6
    {"YAMAGUCHI200104.SP_", "PHOTOYAMAGUCHI200104.SP_", "CADYAMAGUCHI200104.SP_",
     "BORINGYAMAGUCHI200104.SP_", "YAMAGUCHI200207.SP_", "PHOTOYAMAGUCHI200207.SP_",
     "CADYAMAGUCHI200207.SP_", "BORINGYAMAGUCHI200207.SP_", "YAMAGUCHI200304.SP_"},  // 7
    {"EIZEN200104.SP_", "PHOTOEIZEN200104.SP_", "CADEIZEN_200104.SP_", "BORINGEIZEN200104.SP_",
     "EIZEN200207.SP_", "PHOTOEIZEN200207.SP_", "CADEIZEN_200207.SP_"},  // 8
    {"MECH200104.SP_", "PHOTOMECH200104.SP_", "CADMECH__200104.SP_", "BORINGMECH200104.SP_",
     "MECH200207.sp_", "PHOTOMECH200207.SP_", "CADMECH__200207.SP_", "BORINGMECH200207.SP_",
     "MECH200304.SP_", "PHOTOMECH200304.sp_", "CADMECH__200304.SP_", "BORINGMECH200304.SP_",
     "MECH200404.SP_", "PHOTOMECH200404.SP_", "CADMECH__200404.sp_", "BORINGMECH200404.SP_",
     "MECH200506.SP_", "PHOTOMECH200506.SP_", "CADMECH__200506.SP_", "BORINGMECH200506.sp_",
     "MECH200607.SP_", "PHOTOMECH200607.SP_", "CADMECH__200607.SP_", "BORINGMECH200607.SP_",
     "MECH200704.sp_", "PHOTOMECH200704.SP_", "CADMECH__200704.SP_", "BORINGMECH200704.SP_",
     "MECH200806.SP_"},  // 9
    {"TELE200104.SP_", "PHOTOTELE200104.SP_", "CADTELE__200104.SP_", "BORINGTELE200104.SP_",
     "TELE200207.SP_", "PHOTOTELE200207.SP_", "CADTELE__200207.SP_", "BORINGTELE200207.SP_"},  // 10
    {"KAGAWANS200104.SP_", "PHOTOKAGAWANS200104.SP_", "CADKAGAWANS200104.SP_",
     "BORINGKAGAWANS200104.SP_"},  // 11
    {"TOKUSHIMA200104.SP_", "PHOTOTOKUSHIMA200104.SP_", "CADTOKUSHIMA200104.SP_",
     "BORINGTOKUSHIMA200104.SP_", "TOKUSHIMA200207.sp_", "PHOTOTOKUSHIMA200207.SP_",
     "CADTOKUSHIMA200207.SP_", "BORINGTOKUSHIMA200207.SP_", "TOKUSHIMA200304.SP_",
     "PHOTOTOKUSHIMA200304.sp_", "CADTOKUSHIMA200304.SP_", "BORINGTOKUSHIMA200304.SP_"},  // 12
    {"YAMAGUCHINR200104.SP_", "PHOTOYAMAGUCHINR200104.SP_", "CADYAMAGUCHINR200104.SP_",
     "BORINGYAMAGUCHINR200104.SP_", "YAMAGUCHINR200207.SP_", "PHOTOYAMAGUCHINR200207.SP_"},  // 13
    {"TOKUSHIMANR200104.SP_", "PHOTOTOKUSHIMANR200104.SP_", "CADTOKUSHIMANR200104.SP_",
     "BORINGTOKUSHIMANR200104.SP_", "TOKUSHIMANR200207.SP_", "PHOTOTOKUSHIMANR200207.SP_",
     "CADTOKUSHIMANR200207.SP_", "BORINGTOKUSHIMANR200207.SP_", "TOKUSHIMANR200304.SP_",
     "PHOTOTOKUSHIMANR200304.SP_", "CADTOKUSHIMANR200304.SP_",
     "BORINGTOKUSHIMANR200304.SP_"},  // 14
    {},                               // 15
    {},                               // 16
    {},                               // 17
    {},                               // 18
    {},                               // 19
    {},                               // 20
    {},                               // 21
}};

// The rows of a plug-in table as spans, so that one pass runs over either table.
template <std::size_t Cells>
constexpr std::array<std::span<const std::string_view>, 22> rowsOf(
    const StandardTable<Cells>& table) {
  std::array<std::span<const std::string_view>, 22> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = table[i];
  return rows;
}
inline constexpr auto StandardRows1 = rowsOf(StandardFiles1);
inline constexpr auto StandardRows2 = rowsOf(StandardFiles2);

}  // namespace download
