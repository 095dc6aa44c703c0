#pragma once
// Handing a file to the shell.
#include <string>

// Opens a document with the program associated with its type; where none is, the system's own text editor
// shows it. Quietly does nothing when neither can.
void OpenDocument(const std::wstring& path);
// Starts a file as the shell starts it when it is double-clicked (a script with its host).
void RunFile(const std::wstring& path);
