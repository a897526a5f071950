// Creates singletons and returns from main, so the runtime's exit processing
// destroys them; each destructor prints "destroyed:<name>".
#include "Core/Base/Log.h"
#include "Core/Base/Singletone.h"

#include <cstring>
#include <string>
#include <unistd.h>

namespace {

void Say(const char* name)
{
    const std::string line = std::string("destroyed:") + name + "\n";
    [[maybe_unused]] ssize_t written = write(1, line.data(), line.size());
}

template <class T> class Named : public base::Singletone<T> {
public:
    ~Named() override { Say(T::kName); }
};

struct Res : Named<Res> {
    static constexpr const char* kName = "Res";
};
struct Early : Named<Early> {
    static constexpr const char* kName = "Early";
};
struct Late : Named<Late> {
    static constexpr const char* kName = "Late";
};
struct UserData : Named<UserData> {
    static constexpr const char* kName = "UserData";
};
struct Sound : Named<Sound> {
    static constexpr const char* kName = "Sound";
    std::vector<base::SingletoneBase*> GetDependencies() override { return {Res::Instance()}; }
    ~Sound() override { Late::Instance(); }
};
struct Profiles : Named<Profiles> {
    static constexpr const char* kName = "Profiles";
    std::vector<base::SingletoneBase*> GetDependencies() override { return {UserData::Instance()}; }
};
struct App : Named<App> {
    static constexpr const char* kName = "App";
    App() { base::AddDestroyOrder(this, Res::Instance()); }
};

struct A;
struct B;
struct C : Named<C> {
    static constexpr const char* kName = "C";
};
struct E : Named<E> {
    static constexpr const char* kName = "E";
};
struct D : Named<D> {
    static constexpr const char* kName = "D";
    std::vector<base::SingletoneBase*> GetDependencies() override;
};
struct A : Named<A> {
    static constexpr const char* kName = "A";
    std::vector<base::SingletoneBase*> GetDependencies() override;
};
struct B : Named<B> {
    static constexpr const char* kName = "B";
    std::vector<base::SingletoneBase*> GetDependencies() override { return {A::Instance()}; }
};
std::vector<base::SingletoneBase*> A::GetDependencies()
{
    return {B::Instance()};
}
std::vector<base::SingletoneBase*> D::GetDependencies()
{
    return {E::Instance()};
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "order") {
        Res::Instance();
        Early::Instance();
        Sound::Instance();
        App::Instance();
        Profiles::Instance();
        return 0;
    }
    if (mode == "explicit") {
        // Destroyed early by hand (as a forked child does before it exits); the exit
        // hook then finds only what was made afterwards.
        Res::Instance();
        Sound::Instance();
        base::DestroySingletones();
        Early::Instance();
        return 0;
    }
    if (mode == "cycle") {
        // The log's debugger channel (stderr) shows the cycle line.
        base::MainLog::Instance()->plainOutputs.push_back(new TextLogWrapper(new base::LogDebugOutput));
        A::Instance();
        B::Instance();
        C::Instance();
        E::Instance();
        D::Instance();
        return 0;
    }
    if (mode == "revive") {
        Res::Instance();
        base::DestroySingletones();
        Res::Instance();
        return 0;
    }
    return 2;
}
