#include "Core/App/Application.h"
#include "Core/File/FileManager.h"

// The bare application, for programs that bring no class of their own (most tests
// that only need the singleton to exist). A program's own definition replaces it at
// link time; it must sit in an object file the program links directly, because an
// archive member is not searched for a symbol that is already defined.
__attribute__((weak)) app::Application* CreateApplicationInstance()
{
    return new app::Application;
}

template <> app::Application* base::Singletone<app::Application>::Instance()
{
    if (!sInstance) {
        if (sDestroyed)
            base::ReportRevival(typeid(app::Application).name());
        app::Application* created = CreateApplicationInstance();
        if (!created)
            created = new app::Application;
        sInstance = created;
    }
    return sInstance;
}

app::Application* GetApplication()
{
    return app::Application::Instance();
}

namespace app {

Application::Application()
{
    // There is one application per process: whoever builds it first is the
    // singleton, also when a constructor further down asks for it.
    if (!sInstance)
        sInstance = this;
    // Layered images follow the singleton's content scale, read when each is opened.
    if (sInstance == this)
        file::SetContentScaleSource([] { return Application::Exists() ? GetApplication()->contentScale : 1.0f; });
}

Application::~Application() = default;

std::vector<base::SingletoneBase*> Application::GetDependencies()
{
    return {};
}

GEResultEnum Application::Startup()
{
    return OnStartup();
}

GEResultEnum Application::Tick(float)
{
    DispatchOneMessage();
    for (auto it = threads.begin(); it != threads.end();) {
        ThreadWin32* thread = *it;
        if (thread->finished && thread->children.empty()) {
            it = threads.erase(it);
            if (thread->autoDelete)
                delete thread;
        } else {
            ++it;
        }
    }
    if (threads.empty()) {
        if (stopWhenThreadsDone)
            Stop();
        finished = 1;
    }
    return GE_OK;
}

void Application::OnStop()
{
    for (ThreadWin32* thread : threads) {
        for (base::Task* child : thread->children)
            child->Stop();
        thread->stopping = 1;
        thread->OnStop();
    }
}

} // namespace app
