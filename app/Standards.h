// The delivery standards of the check list and the plug-in list "Install.ini" that keeps ticks.
#pragma once

#include <array>
#include <string>

namespace app {

// The check list's items; a position is the key by which the download picks a standard's files.
inline constexpr std::array<const char*, 15> kStandards = {"国土交通省電子納品基準",
                                                           "農林水産省電子納品基準",
                                                           "愛媛県電子納品基準",
                                                           "高知県電子納品基準",
                                                           "香川県電子納品基準",
                                                           "日本道路公団",
                                                           "水資源機構",
                                                           "山口県電子納品基準",
                                                           "営繕工事電子納品基準",
                                                           "国土交通省（機械設備）",
                                                           "国土交通省（電気通信設備）",
                                                           "香川県農政水産部",
                                                           "徳島県電子納品基準",
                                                           "山口県農林水産部",
                                                           "徳島県農林水産部"};

// The national standards, which the user cannot untick (recognised by their text).
bool isMandatoryStandard(const std::string& itemText);

inline constexpr const char* kPluginListName = "Install.ini";
inline constexpr const char* kPluginSection = "PULUGINLIST";

}  // namespace app
