#pragma once
// The application singleton: one per process, created by its first user through the
// program's factory, driven by the main loop, deleted by the singleton registry.
#include "Core/App/Win32/ApplicationWin32.h"
#include "Core/Base/Singletone.h"
#include <list>

namespace app {

class Application : public base::Singletone<Application>, public ApplicationWin32 {
public:
    Application();
    ~Application() override;

    std::vector<base::SingletoneBase*> GetDependencies() override;
    // The game stage of start-up (the game's frame overrides it); the base runs
    // OnStartup.
    virtual GEResultEnum Startup();

    // One window message, then the registered threads: done ones leave the list.
    // With no thread left the application marks itself finished, so the loop ends
    // once it has no children.
    GEResultEnum Tick(float dt) override;
    // Stops every registered thread and its subtree.
    void OnStop() override;

    std::list<ThreadWin32*> threads;
    float contentScale = 1.0f;
    float textScale = 1.0f;
    i32 exitCode = 0;
    u8 stopWhenThreadsDone = 0;
    // Set: the game's save data is not written at exit.
    u8 noSave = 0;
};

} // namespace app

// The application singleton is made by the first user with the program's own class,
// which engine code cannot name: the program defines this (in an object file it
// links directly, such as the one holding main). Without it, a bare
// app::Application is made.
app::Application* CreateApplicationInstance();

template <> app::Application* base::Singletone<app::Application>::Instance();

// The one application object, created on first use; never null.
app::Application* GetApplication();
