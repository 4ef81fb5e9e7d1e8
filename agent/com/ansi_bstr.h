#pragma once

// Brings in COM and automation (ole2.h) too.
#include <windows.h>

#include <string>

namespace wobbet::com {

// A BSTR holding an 8-bit text converted from the ANSI code page, freed when it goes out of
// scope. An empty text gives an empty BSTR, not a null one.
class AnsiBstr {
public:
    explicit AnsiBstr(const std::string& text);
    ~AnsiBstr() { SysFreeString(value_); }

    AnsiBstr(const AnsiBstr&) = delete;
    AnsiBstr& operator=(const AnsiBstr&) = delete;

    BSTR Get() const { return value_; }

private:
    BSTR value_ = nullptr;
};

}  // namespace wobbet::com
