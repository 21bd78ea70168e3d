#pragma once
// The application as a window test needs it: exceptions from handlers are
// collected instead of shown, the message pump does nothing.

#include <vector>

#include "forms/win32/Host.h"
#include "runtime/Exceptions.h"

namespace varnel::testing_support {

class NoPump : public IMessagePump {
 public:
  void ProcessMessages() override {}
  bool Terminated() const override { return false; }
};

class TestHost : public forms::IFormHost {
 public:
  void HandleException() noexcept override {
    try {
      throw;
    } catch (const Exception& e) {
      errors.push_back(e.Message());
    } catch (...) {
      errors.push_back(u"(not an Exception)");
    }
  }
  HWND AppWindow() const override { return nullptr; }
  IMessagePump& Pump() override { return pump_; }
  const String& Title() const override { return title; }
  void Terminate() override {}

  std::vector<String> errors;
  String title = u"Prueba";

 private:
  NoPump pump_;
};

}  // namespace varnel::testing_support
