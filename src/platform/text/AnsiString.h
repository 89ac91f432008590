#pragma once
// Text inside the system is CP932 bytes; UTF-8 exists only at the edges.
#include <string>
#include <string_view>

using AnsiString = std::string;

// Converts a UTF-8 source literal (u8"...") to CP932; throws on text CP932 cannot hold.
AnsiString Ansi(std::u8string_view utf8);

// CP932 -> UTF-8 for terminal output, file-system calls and the window system;
// the reserved characters of FromSystemName turn back into the name's own bytes.
// Bytes that are not valid CP932 become U+FFFD rather than failing: output must not throw.
std::string ToUtf8(std::string_view cp932);

// CP932 -> code points, for drawing text; invalid bytes become U+FFFD.
std::u32string ToUtf32(std::string_view cp932);

// Documents in other encodings, converted as the window system converts: a
// character CP932 lacks becomes "?". UTF-16 stops at its first NUL character.
AnsiString Utf8ToAnsi(std::string_view utf8);
AnsiString Utf16LeToAnsi(std::string_view utf16);

// UTF-8 -> CP932 for text arriving from outside; false when CP932 cannot represent it.
bool FromUtf8(std::string_view utf8, AnsiString& out);

// Names given as bytes, mostly UTF-8 (a Linux file system's names, the tool's
// arguments), lossless both ways. Each byte of a character CP932 lacks (or cannot
// give back unchanged), of a user-defined-area character, or that is not UTF-8 at
// all (always 0x80-0xFF) travels inside as one reserved character of CP932's
// user-defined area: lead byte 0xF0, then trail number byte - 0x80 of the trails
// 0x40-0x7E, 0x80-0xFC (0xF0 0x40 to 0xF0 0xC0). ToUtf8 turns those back into the
// same bytes.
AnsiString FromUtf8Name(std::string_view bytes);
// A name as the file system gives it: FromUtf8Name on Linux; CP932 already on Windows.
AnsiString FromSystemName(std::string_view bytes);

// True for a CP932 lead byte (0x81-0x9F, 0xE0-0xFC): it and the next byte form one character.
constexpr bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// ASCII letters to lower or upper case; double-byte characters stay as they are.
AnsiString AnsiLowerCase(const AnsiString& text);
AnsiString AnsiUpperCase(const AnsiString& text);

// The framework's default comparison of list texts: equal without regard to the
// case of ASCII letters and of CP932's full-width Latin, Greek and Cyrillic letters.
bool AnsiSameText(const AnsiString& a, const AnsiString& b);
