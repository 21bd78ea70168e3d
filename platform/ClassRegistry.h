#pragma once
// The COM class registry as the connection components use it: the class of
// a name and the name of a class, the text of a class identifier and back,
// and making a server object. A failure the components report comes as
// EOleSysError, with the system's text for its result code.

#include <cstdint>
#include <memory>
#include <optional>

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

// Result codes the registry's failures carry.
inline constexpr std::int32_t kE_NOINTERFACE = static_cast<std::int32_t>(0x80004002u);
inline constexpr std::int32_t kCO_E_CLASSSTRING = static_cast<std::int32_t>(0x800401F3u);
inline constexpr std::int32_t kREGDB_E_CLASSNOTREG = static_cast<std::int32_t>(0x80040154u);
inline constexpr std::int32_t kCO_E_SERVER_EXEC_FAILURE = static_cast<std::int32_t>(0x80080005u);

// Class contexts a server object may be made in.
inline constexpr std::uint32_t kCLSCTX_INPROC_SERVER = 0x1;
inline constexpr std::uint32_t kCLSCTX_LOCAL_SERVER = 0x4;
inline constexpr std::uint32_t kCLSCTX_REMOTE_SERVER = 0x10;

// A server object as portable code holds it: an owner of the object's
// dispatch interface, never empty. Dropping the last owner releases it.
class IServerObject {
 public:
  virtual ~IServerObject() = default;
};
using ServerObject = std::shared_ptr<IServerObject>;

class IClassRegistry {
 public:
  virtual ~IClassRegistry() = default;

  // The class registered for a programmatic identifier (letter case does
  // not matter). Raises EOleSysError when the name has none.
  virtual Guid ClassOf(const String& progID) = 0;
  // The programmatic identifier registered for `clsid`, if any.
  virtual std::optional<String> NameOf(const Guid& clsid) = 0;
  // The 38-character braced upper-case text of `clsid`.
  virtual String TextOf(const Guid& clsid) = 0;
  // The identifier of a braced text, or the class of a registered
  // programmatic identifier. Raises EOleSysError for anything else.
  virtual Guid ClassOfText(const String& text) = 0;

  // Makes an object of `clsid` in `context` and keeps its dispatch
  // interface: on this machine when `computer` is empty, else on the
  // computer of that name. Raises EOleSysError.
  virtual ServerObject Create(const Guid& clsid, const String& computer, std::uint32_t context) = 0;
  // Whether objects can be made on a named computer (the platform may lack it).
  virtual bool RemoteAvailable() const = 0;
  // This machine's name.
  virtual String LocalComputerName() = 0;
};

}  // namespace varnel
