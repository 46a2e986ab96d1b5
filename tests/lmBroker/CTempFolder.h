// A fresh folder under the temporary directory, removed with its contents
// when the object goes.
#pragma once

#include <string>

class CTempFolder
{
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    // The folder's path, ending in a backslash.
    const std::string& GetPath() const { return m_strPath; }

    // Writes bytes to a file at a path relative to the folder (subfolders
    // separated by backslashes are created) and returns its full path.
    std::string Write(const std::string& relative, const std::string& bytes);
    // The bytes of a file of the folder; empty when it cannot be read.
    std::string Read(const std::string& relative) const;

    // The folder of the running program, ending in a backslash.
    static std::string ProgramFolder();

private:
    static void RemoveTree(const std::string& folder);

    std::string m_strPath;
};
