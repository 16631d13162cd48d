// The pieces of quillspur-check's JSON forms. Everything is appended to
// one string: a report of thousands of jobs is not built from as many
// temporary ones. Texts are Windows-1252 and go out as UTF-8.
#ifndef QUILLSPUR_CHECK_JSON_TEXT_H
#define QUILLSPUR_CHECK_JSON_TEXT_H

#include <string>
#include <string_view>

// Raised whenever a form changes its fields; both forms carry it.
const int kJsonSchemaVersion = 2;

// text in quotes, escaped.
void AddJsonText(std::string& out, std::string_view text);
// A name and its value, the value a string in quotes.
void AddText(std::string& out, const char* name, std::string_view text);
// The same, or null when the value is absent.
void AddTextOrNull(std::string& out, const char* name, bool present,
                   std::string_view text);
void AddBool(std::string& out, const char* name, bool value);

template <typename Number>
void AddNumber(std::string& out, const char* name, Number value) {
  out += name;
  out += std::to_string(value);
}

#endif
