// Output that quillspur-check writes as UTF-8: a Windows console is told so,
// so that it shows the bytes as they are meant; elsewhere the terminal
// already reads UTF-8.
#ifndef QUILLSPUR_PLATFORM_UTF8_CONSOLE_H
#define QUILLSPUR_PLATFORM_UTF8_CONSOLE_H

void ShowUtf8OnConsole();

#endif
