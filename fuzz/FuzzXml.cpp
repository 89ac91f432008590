#include "platform/Exception.h"
#include "xml/TxmlList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TxmlList root;
  try {
    root.LoadFromText(AnsiString(reinterpret_cast<const char*>(data), size));
    root.InnerText();
  } catch (const Exception&) {
  }
  return 0;
}
