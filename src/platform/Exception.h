#pragma once
// The general failure of the system: a CP932 message, Japanese where the system defines it.
#include <exception>

#include "platform/text/AnsiString.h"

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : FMessage(std::move(message)) {}
  const AnsiString& Message() const noexcept { return FMessage; }
  // CP932 bytes, as the message is held; use ToUtf8 to show it.
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  AnsiString FMessage;
};

// In a handler: the message of the exception being handled, the system's own
// (CP932) or a library's (taken as UTF-8).
inline AnsiString CurrentExceptionMessage() {
  try {
    throw;
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return Utf8ToAnsi(e.what());
  } catch (...) {
    return "unknown exception";
  }
}
