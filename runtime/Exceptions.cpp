#include "runtime/Exceptions.h"

namespace varnel {

Exception::Exception(String message) : message_(std::move(message)), what_(ToUtf8(message_)) {}

String OSErrorMessage(std::uint32_t code, StringView systemText) {
  if (code == 0) return u"A call to an OS function failed";
  // The code is printed as "%d" of the signed 32-bit value.
  return u"System Error.  Code: " + IntToStr(static_cast<std::int32_t>(code)) + u".\r\n" +
         TrimRightControlAndPeriods(systemText, true);
}

String CurrentExceptionMessage() {
  try {
    throw;
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return FromUtf8(e.what());
  } catch (...) {
    return u"Unknown error";
  }
}

String PresentableMessage(StringView message) {
  String text(message);
  if (!text.empty() && text.back() > u'.') text += u'.';
  return text;
}

}  // namespace varnel
