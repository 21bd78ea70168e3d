#pragma once
// The two views 64-bit Windows keeps of the redirected parts of the
// registry (among them HKLM\SOFTWARE\Classes\CLSID): a 32-bit program's
// writes land in the 32-bit view, a 64-bit program's in the 64-bit one.
// Other keys, such as the ProgIDs and HKLM\SOFTWARE\Classes\AppID, are one
// for both. On 32-bit Windows there is one view, and both names reach it.

namespace varnel {

enum class RegistryView { Bits32, Bits64 };

}  // namespace varnel
