// A directory of the test process's own for the files its tests write.
// It is made on first use under the test framework's temporary directory
// and removed, with everything in it, when the process ends, so that test
// runs leave nothing behind.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>

namespace bscan_test {

class ScratchDir {
public:
    static const std::string& Path()
    {
        static ScratchDir dir;
        return dir.m_path;
    }

private:
    ScratchDir() : m_path(::testing::TempDir() + "bscan_test_XXXXXX")
    {
        if (!mkdtemp(&m_path[0]))
            ADD_FAILURE() << "cannot make a scratch directory from " << m_path;
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

    std::string m_path;
};

// A path for `name` in the scratch directory.
inline std::string ScratchPath(const std::string& name)
{
    return ScratchDir::Path() + "/" + name;
}

// A new, empty directory in the scratch directory.
inline std::string NewScratchSubdir(const std::string& stem)
{
    std::string pattern = ScratchPath(stem + "_XXXXXX");
    if (!mkdtemp(&pattern[0]))
        ADD_FAILURE() << "cannot make a directory from " << pattern;
    return pattern;
}

}  // namespace bscan_test
