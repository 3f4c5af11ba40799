// All Win32 backends on the real machine, wired together as the program uses them.
#pragma once

#include <functional>
#include <memory>

#include "platform/HttpTransfer.h"
#include "platform/Libraries.h"
#include "platform/MessagePump.h"
#include "platform/Services.h"

namespace platform::win32 {

class Win32Machine {
 public:
  // Makes one HTTP transfer component from the machine's codec, the window's pump and the
  // machine's last error (the program passes the WinINet component's).
  using HttpMaker =
      std::function<std::unique_ptr<HttpTransfer>(TextCodec&, MessagePump&, LastError&)>;

  // pump: the window's message pump, run while transfers are waited for.
  Win32Machine(MessagePump& pump, HttpMaker makeHttp);
  ~Win32Machine();
  Win32Machine(const Win32Machine&) = delete;
  Win32Machine& operator=(const Win32Machine&) = delete;

  Services& services();
  Libraries& libraries();

 private:
  struct Parts;
  std::unique_ptr<Parts> m_parts;
};

}  // namespace platform::win32
