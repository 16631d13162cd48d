#include "check/json_text.h"

#include <stdio.h>

#include "platform/code_page.h"

void AddJsonText(std::string& out, std::string_view text) {
  out += '"';
  // Runs of bytes that stand as they are go in whole.
  size_t plain = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x80 && c != '"' && c != '\\') continue;
    out.append(text.data() + plain, i - plain);
    plain = i + 1;
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
  out.append(text.data() + plain, text.size() - plain);
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
