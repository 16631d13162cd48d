#include "check/json_text.h"

#include <stdio.h>

#include "platform/code_page.h"

void AddJsonText(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escape[8];
      (void)snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else {
      AppendUtf8(out, c);
    }
  }
  out += '"';
}

void AddText(std::string& out, const char* name, std::string_view text) {
  out += name;
  AddJsonText(out, text);
}

void AddTextOrNull(std::string& out, const char* name, bool present,
                   std::string_view text) {
  out += name;
  if (present) {
    AddJsonText(out, text);
  } else {
    out += "null";
  }
}

void AddBool(std::string& out, const char* name, bool value) {
  out += name;
  out += value ? "true" : "false";
}
