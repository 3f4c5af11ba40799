// Activation, cancel and close of the update window, and the run's error helper.
#include "app/Errors.h"
#include "app/MainForm.h"
#include "app/StatusTexts.h"

using platform::Control;

void TMainForm::FormActivate() {
  if (!ContinueUpdate) {
    m_view.postClose();
    return;
  }
  // An activation during a run (after one of its boxes closed) leaves the run's display alone.
  if (m_running) return;
  m_view.setWindowEnabled(false);
  m_view.setEnabled(Control::DownLoadButton, true);
  m_view.setCaption(Control::ProgressLabel, "");
  m_view.setCaption(Control::MsgLabel, app::kReadyMessage);
  m_view.setWindowEnabled(true);
}

void TMainForm::CancelButtonClick() {
  CancelRequested = true;
  if (ipwHTTP) {
    try {
      if (ipwHTTP->Active()) ipwHTTP->AbortTransfer();
      ipwHTTP->ResetTransfer();
    } catch (const std::exception&) {
      // A transfer that refuses to stop still loses its window; the run stops at the next file.
    }
  }
  m_view.setVisible(Control::CancelButton, false);
  m_view.setVisible(Control::DownLoadButton, true);
  m_view.setCaption(Control::MsgLabel, app::kReadyMessage);
}

void TMainForm::FormClose() {
  // When the overwrite question was declined the ticks were never loaded; saving them would
  // erase the user's selection.
  if (m_standardsLoaded) saveStandards();
  if (m_running) {
    // A download in progress ends at once; the sequence sees the closed window and stops.
    CancelRequested = true;
    for (auto* http : {ipwHTTP.get(), ipwHTTP2.get()}) {
      try {
        if (http && http->Active()) http->AbortTransfer();
      } catch (const std::exception&) {
        // the window is going away; the fetch ends by its own time-out
      }
    }
  }
  WorkList.reset();
  m_closed = true;
}

void TMainForm::Close() {
  if (onClose()) m_view.postClose();
}

void TMainForm::CreateError(const std::string& message) { throw BrevanError(message + "\r"); }
