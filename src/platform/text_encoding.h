// How a job file's bytes are read: as Windows-1252, or decoded into it
// from the Unicode form that a byte order mark (or, on Linux, well-formed
// UTF-8) says the file is in.
#ifndef QUILLSPUR_PLATFORM_TEXT_ENCODING_H
#define QUILLSPUR_PLATFORM_TEXT_ENCODING_H

#include <stddef.h>

#include <string>
#include <string_view>

enum class TextEncoding {
  kWindows1252,
  kUtf8,  // no mark, well-formed, a byte above 127: Linux only
  kUtf8Mark,
  kUtf16LeMark,
  kUtf16BeMark,
};

// Decides the encoding from the bytes of a file, fed in order in pieces of
// any size. Allocates nothing.
class CTextSniffer {
 public:
  CTextSniffer();
  virtual ~CTextSniffer();

  void Feed(const char* data, size_t size);
  // The encoding of all bytes fed so far.
  TextEncoding Result() const;

 private:
  // One byte of a UTF-8 sequence: its lead byte or a byte after it; false
  // for a byte that cannot stand there.
  bool Lead(unsigned char byte);
  bool Continue(unsigned char byte);

  unsigned char m_head[3];
  size_t m_nTotal;
  // The UTF-8 sequence under way: continuation bytes still due, and the
  // range the next one must lie in.
  unsigned m_nPending;
  unsigned char m_nLow;
  unsigned char m_nHigh;
  bool m_bWellFormed;
  bool m_bHighByte;
};

// The encoding of a whole file.
TextEncoding DetectTextEncoding(std::string_view bytes);
// The length of the byte order mark that encoding begins with.
size_t MarkLength(TextEncoding encoding);
// bytes, read in encoding, as Windows-1252 text without the mark. unmapped,
// when given, counts the characters that became "?".
std::string DecodeText(std::string_view bytes, TextEncoding encoding,
                       size_t* unmapped = nullptr);
// A piece of such a file after its mark, and Windows-1252 text encoded for
// it.
std::string DecodePiece(std::string_view bytes, TextEncoding encoding,
                        size_t* unmapped = nullptr);
std::string EncodePiece(std::string_view text, TextEncoding encoding);
// "UTF-16LE with byte order mark", for reports.
const char* TextEncodingName(TextEncoding encoding);

// Whether a file without a mark that is well-formed UTF-8 with a byte
// above 127 is decoded: on Linux, whose editors write such files; never on
// Windows, whose profile functions read it as the ANSI code page.
bool DecodesUnmarkedUtf8();

#endif
