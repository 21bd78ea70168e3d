#include "versioninfo/ErrorCodes.h"

namespace varnel::versioninfo {

String BuiltInErrorText(std::uint32_t code) {
  switch (code) {
    case kErrorFileNotFound:
      return u"The system cannot find the file specified.";
    case kErrorPathNotFound:
      return u"The system cannot find the path specified.";
    case kErrorAccessDenied:
      return u"Access is denied.";
    case kErrorInvalidData:
      return u"The data is invalid.";
    case kErrorReadFault:
      return u"The system cannot read from the specified device.";
    case kErrorResourceDataNotFound:
      return u"The specified image file did not contain a resource section.";
    case kErrorResourceTypeNotFound:
      return u"The specified resource type cannot be found in the image file.";
    case kErrorResourceNameNotFound:
      return u"The specified resource name cannot be found in the image file.";
    case kErrorResourceLangNotFound:
      return u"The specified resource language ID cannot be found in the image file.";
    default:
      return String();
  }
}

}  // namespace varnel::versioninfo
