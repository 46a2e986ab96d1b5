#include "tests/lmBroker/CTempFolder.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

CTempFolder::CTempFolder()
{
    static unsigned s_counter = 0;
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        throw std::runtime_error("no temporary directory");
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        char name[64];
        snprintf(name, sizeof(name), "qlclm-%lu-%u\\", GetCurrentProcessId(), ++s_counter);
        std::string path = std::string(temp) + name;
        if (CreateDirectoryA(path.c_str(), nullptr))
        {
            m_strPath = path;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

CTempFolder::~CTempFolder()
{
    RemoveTree(m_strPath);
}

std::string CTempFolder::Write(const std::string& relative, const std::string& bytes)
{
    std::string path = m_strPath + relative;
    for (size_t slash = path.find('\\', m_strPath.size()); slash != std::string::npos;
         slash = path.find('\\', slash + 1))
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot write " + path);
    size_t written = fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    if (written != bytes.size())
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string CTempFolder::Read(const std::string& relative) const
{
    std::string bytes;
    FILE* file = fopen((m_strPath + relative).c_str(), "rb");
    if (!file)
        return bytes;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

std::string CTempFolder::ProgramFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string result(path, length);
    return result.substr(0, result.rfind('\\') + 1);
}

void CTempFolder::RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\");
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}
