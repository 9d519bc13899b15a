#pragma once
// A fresh temporary working directory for one test: the game finds its
// Resources there, and whatever it writes is thrown away afterwards.
#include <string>

class TestWorkspace {
  public:
    struct Layout {
        bool assets = true;     // copy the repository's Resources/Assets
        bool dataFolder = true; // create Resources/Data
    };

    TestWorkspace() : TestWorkspace(Layout{}) {}
    explicit TestWorkspace(Layout layout);
    ~TestWorkspace();
    TestWorkspace(const TestWorkspace&) = delete;
    TestWorkspace& operator=(const TestWorkspace&) = delete;

    const std::string& path() const { return root; }
    // Writes `bytes` to a path relative to the workspace.
    void write(const std::string& relative, const std::string& bytes) const;
    // The whole file, or "<missing>" when it does not exist.
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const;
    void remove(const std::string& relative) const;

  private:
    std::string root;
    std::string previous;
};
