// Download handlers not yet built: the sequence and the transfer events arrive with the download.
#include "app/MainForm.h"

void TMainForm::DownLoadButtonClick() {}
void TMainForm::ipwHTTPStartTransfer(platform::HttpTransfer&, int) {}
void TMainForm::ipwHTTPHeader(platform::HttpTransfer&, const std::string&, const std::string&) {}
void TMainForm::ipwHTTPTransfer(platform::HttpTransfer&, int, int32_t, std::string_view) {}
void TMainForm::ipwHTTPEndTransfer(platform::HttpTransfer&, int) {}
void TMainForm::ipwHTTPError(platform::HttpTransfer&, int, const std::string&) {}
bool TMainForm::MoveFiles(const std::string&, const std::string&) { return false; }
bool TMainForm::CopyFiles(const std::string&, const std::string&) { return false; }
void TMainForm::ClearReadOnly(const std::string&) {}
