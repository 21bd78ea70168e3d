#pragma once
// The registration of the 32-bit stand-in server (fixtures/server, built as
// server32.exe), written by the test as the program would write it on
// 64-bit Windows, since this machine runs no 32-bit code:
//   HKLM\SOFTWARE\Classes\<base>.<base>DMR\CLSID = {CLSID}      shared
//   HKLM\SOFTWARE\Classes\CLSID\{CLSID}                          32-bit view only
//       AppID = {AppID}, LocalServer32 = "<exe path>", ProgID
//   HKLM\SOFTWARE\Classes\AppID\{AppID}                          shared
// The identifiers come from the base name as the stand-in derives them
// (fixtures/server/Registration.cpp): the CLSID from the name, the AppID
// from the name + "#AppID" (the variant with an AppID of its own), so a
// reader that takes the CLSID for the AppID finds no key.

#include "runtime/String.h"

namespace varnel::ui {

struct ServerIds {
  String ProgId;  // <base>.<base>DMR
  String Clsid;   // braced, upper case
  String AppId;   // braced, upper case; never the CLSID
};

// What the stand-in registers for `base` (the file name up to its first ".").
ServerIds StandInIds(const String& base);

// Writes the keys above for `base` and `exePath` (after removing what an
// earlier try left) and removes them again, from both views, when it goes.
class Server32Registration {
 public:
  Server32Registration(const String& base, const String& exePath);
  Server32Registration(const Server32Registration&) = delete;
  Server32Registration& operator=(const Server32Registration&) = delete;
  ~Server32Registration();

  const ServerIds& Ids() const noexcept { return ids_; }

 private:
  void Remove() const noexcept;
  ServerIds ids_;
};

}  // namespace varnel::ui
