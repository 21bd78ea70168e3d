#pragma once
// The COM class registry as the connection components see it: name <->
// class identifier look-ups, the identifier's text form, and creating a
// server object. The calls keep the platform's result convention (an
// HRESULT: 0 is success, negative is failure) because the components'
// rules are written in those terms ("anything but S_OK means not found",
// "a negative result raises").

#include <cstdint>
#include <memory>

#include "runtime/String.h"

namespace varnel {

// A class identifier: the platform's 16-byte GUID, laid out as it is.
struct Guid {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};

  friend bool operator==(const Guid&, const Guid&) = default;
};
static_assert(sizeof(Guid) == 16, "a class identifier is 16 bytes");

// The result codes the components test for.
inline constexpr std::int32_t kS_OK = 0;
inline constexpr std::int32_t kS_FALSE = 1;
inline constexpr std::int32_t kE_NOINTERFACE = static_cast<std::int32_t>(0x80004002u);
inline constexpr std::int32_t kCO_E_CLASSSTRING = static_cast<std::int32_t>(0x800401F3u);
inline constexpr std::int32_t kREGDB_E_CLASSNOTREG = static_cast<std::int32_t>(0x80040154u);
inline constexpr std::int32_t kCO_E_SERVER_EXEC_FAILURE = static_cast<std::int32_t>(0x80080005u);

// Class contexts of the create calls.
inline constexpr std::uint32_t kCLSCTX_INPROC_SERVER = 0x1;
inline constexpr std::uint32_t kCLSCTX_LOCAL_SERVER = 0x4;
inline constexpr std::uint32_t kCLSCTX_REMOTE_SERVER = 0x10;

// A created server object, as portable code holds it: an owner of the
// object's dispatch interface. Dropping the last owner releases it.
class IServerObject {
 public:
  virtual ~IServerObject() = default;
  // The raw dispatch interface (an IDispatch* on Windows); null when the
  // object has none.
  virtual void* Dispatch() const noexcept = 0;
};
using ServerObject = std::shared_ptr<IServerObject>;

class IClassRegistry {
 public:
  virtual ~IClassRegistry() = default;

  // The identifier registered for a programmatic identifier, written into
  // `clsid`. Anything but kS_OK means the name is not registered; `clsid`
  // may then hold anything.
  virtual std::int32_t CLSIDFromProgID(const String& progID, Guid& clsid) = 0;
  // The programmatic identifier registered for `clsid`. Anything but kS_OK
  // means there is none; `progID` is then left as it was.
  virtual std::int32_t ProgIDFromCLSID(const Guid& clsid, String& progID) = 0;
  // The 38-character braced text of `clsid`.
  virtual std::int32_t StringFromCLSID(const Guid& clsid, String& text) = 0;
  // The identifier for a braced text (or a registered programmatic
  // identifier, as the platform call accepts those too).
  virtual std::int32_t CLSIDFromString(const String& text, Guid& clsid) = 0;

  // The message an EOleSysError for `code` carries: the system's text for
  // the code, or "OLE error %.8x" (upper-case digits) when there is none.
  virtual String ErrorText(std::int32_t code) = 0;

  // Creates the object on this machine and keeps its dispatch interface.
  virtual std::int32_t CreateInstance(const Guid& clsid, std::uint32_t context,
                                      ServerObject& object) = 0;
  // Whether CreateInstanceEx can be used (the platform may lack it).
  virtual bool HasCreateInstanceEx() const = 0;
  // Creates the object on `computer` and keeps its dispatch interface.
  virtual std::int32_t CreateInstanceEx(const Guid& clsid, const String& computer,
                                        std::uint32_t context, ServerObject& object) = 0;
  // This machine's name (GetComputerNameW).
  virtual String LocalComputerName() = 0;
};

}  // namespace varnel
