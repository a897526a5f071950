#include "Platform/Bass/Bass.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Sync {
    DWORD type;
    SYNCPROC* proc;
    void* user;
};

// A volume slide stepped on the main thread.
struct Slide {
    float from = 0.0f;
    float to = 0.0f;
    Uint32 start = 0;
    Uint32 duration = 0;
};

struct Channel;

struct Sample {
    Mix_Chunk* chunk = nullptr;
    std::vector<DWORD> channels;
};

struct Channel {
    HSAMPLE sample = 0;
    int mixerChannel = -1;
    float volume = 1.0f;
    std::map<HSYNC, Sync> syncs;
    std::unique_ptr<Slide> slide;
};

struct Stream {
    std::vector<Uint8> bytes; // the whole file; the music decodes from it
    Mix_Music* music = nullptr;
    float volume = 1.0f;
    bool fadingOut = false;
    std::map<HSYNC, Sync> syncs;
    std::unique_ptr<Slide> slide;
};

struct State {
    bool open = false;
    bool silent = false; // no device opened: the output is SDL's "dummy" driver
    bool paused = false;
    DWORD nextHandle = 1;
    HSYNC nextSync = 1;
    std::map<DWORD, Sample> samples;
    std::map<DWORD, Channel> channels;
    std::map<DWORD, Stream> streams;
    std::vector<int> freeMixerChannels;
    int mixerChannelCount = 0;
    HSTREAM playingStream = 0; // the stream the mixer's music is, main thread's view
    std::map<DWORD, DWORD> config;
};

// Never destroyed: the game's singletons free their samples and streams at exit, after
// function statics constructed later than their exit hook are already gone.
State& state()
{
    static State* instance = new State;
    return *instance;
}

// The mixer's music as the audio thread sees it: the stream that is playing, and the
// stream whose end the audio thread saw last (0: none since the last serve).
std::atomic<DWORD> gMusicPlaying{0};
std::atomic<DWORD> gMusicEnded{0};
int gError = BASS_OK;

BOOL fail(int code)
{
    gError = code;
    return FALSE;
}

DWORD failHandle(int code)
{
    gError = code;
    return 0;
}

BOOL ok()
{
    gError = BASS_OK;
    return TRUE;
}

// Runs on the audio thread (or inside Mix_HaltMusic): only marks the end.
void onMusicFinished()
{
    const DWORD ended = gMusicPlaying.exchange(0);
    if (ended)
        gMusicEnded.store(ended);
}

// Stops the mixer's music without reporting an end: the caller stopped it.
void haltMusicQuietly()
{
    gMusicPlaying.store(0);
    Mix_HaltMusic();
    state().playingStream = 0;
}

int toMixerVolume(float volume)
{
    const float clamped = std::clamp(std::isfinite(volume) ? volume : 0.0f, 0.0f, 1.0f);
    return static_cast<int>(std::lround(clamped * MIX_MAX_VOLUME));
}

bool openOutput(int freq)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudio(freq, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

// Opens the output, falling back to SDL's silent "dummy" driver when no device opens
// (`silent` tells which).
bool openOutputOrDummy(int freq, bool& silent)
{
    silent = false;
    if (openOutput(freq))
        return true;
    silent = true;
    const char* previous = SDL_getenv("SDL_AUDIODRIVER");
    const std::string kept = previous ? previous : "";
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    const bool opened = openOutput(freq);
    if (previous)
        SDL_setenv("SDL_AUDIODRIVER", kept.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    return opened;
}

Channel* findChannel(DWORD handle)
{
    auto found = state().channels.find(handle);
    return found == state().channels.end() ? nullptr : &found->second;
}

Stream* findStream(DWORD handle)
{
    auto found = state().streams.find(handle);
    return found == state().streams.end() ? nullptr : &found->second;
}

void freeChannel(DWORD handle)
{
    Channel* channel = findChannel(handle);
    if (!channel)
        return;
    Mix_HaltChannel(channel->mixerChannel);
    state().freeMixerChannels.push_back(channel->mixerChannel);
    state().channels.erase(handle);
}

void freeStream(HSTREAM handle)
{
    Stream* stream = findStream(handle);
    if (!stream)
        return;
    if (state().playingStream == handle)
        haltMusicQuietly();
    if (gMusicEnded.load() == handle)
        gMusicEnded.store(0);
    Mix_FreeMusic(stream->music);
    state().streams.erase(handle);
}

void freeSample(HSAMPLE handle)
{
    auto found = state().samples.find(handle);
    if (found == state().samples.end())
        return;
    for (DWORD channel : found->second.channels)
        freeChannel(channel);
    Mix_FreeChunk(found->second.chunk);
    state().samples.erase(found);
}

// Calls every sync of `type` in `syncs` (one-time ones are removed first).
int fire(std::map<HSYNC, Sync>& syncs, DWORD type, DWORD handle)
{
    std::vector<std::pair<HSYNC, Sync>> due;
    for (auto it = syncs.begin(); it != syncs.end();) {
        if ((it->second.type & 0xFFFF) == type) {
            due.emplace_back(*it);
            if (it->second.type & BASS_SYNC_ONETIME) {
                it = syncs.erase(it);
                continue;
            }
        }
        ++it;
    }
    // A callback may free the channel: nothing of it is touched after this point.
    for (auto& [sync, entry] : due)
        entry.proc(sync, handle, 0, entry.user);
    return static_cast<int>(due.size());
}

void setStreamVolume(HSTREAM handle, Stream& stream, float volume)
{
    stream.volume = volume;
    if (state().playingStream == handle)
        Mix_VolumeMusic(toMixerVolume(volume));
}

void setChannelVolume(Channel& channel, float volume)
{
    channel.volume = volume;
    Mix_Volume(channel.mixerChannel, toMixerVolume(volume));
}

} // namespace

BOOL BASS_Init(int, DWORD freq, DWORD, void*, const void*)
{
    State& s = state();
    if (s.open)
        return fail(BASS_ERROR_ALREADY);
    if (!openOutputOrDummy(freq ? static_cast<int>(freq) : 44100, s.silent))
        return fail(BASS_ERROR_INIT);
    Mix_Init(MIX_INIT_OGG);
    Mix_HookMusicFinished(onMusicFinished);
    s.open = true;
    s.paused = false;
    return ok();
}

DWORD BASS_GetDevice()
{
    const State& s = state();
    if (!s.open) {
        fail(BASS_ERROR_INIT);
        return static_cast<DWORD>(-1);
    }
    ok();
    return s.silent ? 0 : 1;
}

BOOL BASS_Free()
{
    State& s = state();
    if (!s.open)
        return fail(BASS_ERROR_INIT);
    haltMusicQuietly();
    Mix_HookMusicFinished(nullptr);
    std::vector<DWORD> streams;
    for (auto& [handle, stream] : s.streams)
        streams.push_back(handle);
    for (DWORD handle : streams)
        freeStream(handle);
    std::vector<DWORD> samples;
    for (auto& [handle, sample] : s.samples)
        samples.push_back(handle);
    for (DWORD handle : samples)
        freeSample(handle);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s.freeMixerChannels.clear();
    s.mixerChannelCount = 0;
    s.open = false;
    gMusicEnded.store(0);
    return ok();
}

BOOL BASS_SetConfig(DWORD option, DWORD value)
{
    state().config[option] = value;
    return ok();
}

BOOL BASS_Start()
{
    if (!state().open)
        return fail(BASS_ERROR_INIT);
    Mix_Resume(-1);
    Mix_ResumeMusic();
    state().paused = false;
    return ok();
}

BOOL BASS_Pause()
{
    if (!state().open)
        return fail(BASS_ERROR_INIT);
    Mix_Pause(-1);
    Mix_PauseMusic();
    state().paused = true;
    return ok();
}

int BASS_ErrorGetCode()
{
    return gError;
}

HSAMPLE BASS_SampleLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD, DWORD)
{
    State& s = state();
    if (!s.open)
        return failHandle(BASS_ERROR_INIT);
    if (!file)
        return failHandle(BASS_ERROR_ILLPARAM);
    SDL_RWops* source = nullptr;
    if (mem) {
        if (offset > length)
            return failHandle(BASS_ERROR_ILLPARAM);
        source = SDL_RWFromConstMem(static_cast<const Uint8*>(file) + offset,
                                    static_cast<int>(std::min<QWORD>(length - offset, 0x7FFFFFFF)));
    } else {
        source = SDL_RWFromFile(static_cast<const char*>(file), "rb");
        if (!source)
            return failHandle(BASS_ERROR_FILEOPEN);
        if (offset && SDL_RWseek(source, static_cast<Sint64>(offset), RW_SEEK_SET) < 0) {
            SDL_RWclose(source);
            return failHandle(BASS_ERROR_FILEOPEN);
        }
    }
    if (!source)
        return failHandle(BASS_ERROR_MEM);
    Mix_Chunk* chunk = Mix_LoadWAV_RW(source, 1);
    if (!chunk)
        return failHandle(BASS_ERROR_FILEFORM);
    const DWORD handle = s.nextHandle++;
    s.samples[handle].chunk = chunk;
    gError = BASS_OK;
    return handle;
}

BOOL BASS_SampleFree(HSAMPLE sample)
{
    if (!state().samples.count(sample))
        return fail(BASS_ERROR_HANDLE);
    freeSample(sample);
    return ok();
}

HCHANNEL BASS_SampleGetChannel(HSAMPLE sample, BOOL)
{
    State& s = state();
    auto found = s.samples.find(sample);
    if (found == s.samples.end())
        return failHandle(BASS_ERROR_HANDLE);
    int mixerChannel = -1;
    if (!s.freeMixerChannels.empty()) {
        mixerChannel = s.freeMixerChannels.back();
        s.freeMixerChannels.pop_back();
    } else {
        mixerChannel = s.mixerChannelCount++;
        Mix_AllocateChannels(s.mixerChannelCount);
    }
    const DWORD handle = s.nextHandle++;
    Channel& channel = s.channels[handle];
    channel.sample = sample;
    channel.mixerChannel = mixerChannel;
    setChannelVolume(channel, 1.0f);
    found->second.channels.push_back(handle);
    gError = BASS_OK;
    return handle;
}

HSTREAM BASS_StreamCreateFileUser(DWORD, DWORD, const BASS_FILEPROCS* procs, void* user)
{
    State& s = state();
    if (!s.open)
        return failHandle(BASS_ERROR_INIT);
    if (!procs || !procs->length || !procs->read)
        return failHandle(BASS_ERROR_ILLPARAM);
    // Read whole: the caller's stream may share a file with other readers, and the
    // mixer decodes on its own thread.
    const QWORD length = procs->length(user);
    std::vector<Uint8> bytes;
    bool readWhole = length > 0 && length <= 0x7FFFFFFF && (!procs->seek || procs->seek(0, user));
    if (readWhole) {
        bytes.resize(static_cast<size_t>(length));
        size_t got = 0;
        while (got < bytes.size()) {
            const DWORD step = procs->read(bytes.data() + got, static_cast<DWORD>(bytes.size() - got), user);
            if (step == 0 || step == 0xFFFFFFFF || step > bytes.size() - got)
                break;
            got += step;
        }
        readWhole = got == bytes.size();
    }
    if (procs->close)
        procs->close(user);
    if (!readWhole)
        return failHandle(BASS_ERROR_FILEOPEN);
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!source)
        return failHandle(BASS_ERROR_MEM);
    Mix_Music* music = Mix_LoadMUS_RW(source, 1);
    if (!music)
        return failHandle(BASS_ERROR_FILEFORM);
    const DWORD handle = s.nextHandle++;
    Stream& stream = s.streams[handle];
    stream.bytes = std::move(bytes); // the vector's buffer does not move
    stream.music = music;
    gError = BASS_OK;
    return handle;
}

BOOL BASS_StreamFree(HSTREAM stream)
{
    if (!findStream(stream))
        return fail(BASS_ERROR_HANDLE);
    freeStream(stream);
    return ok();
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    State& s = state();
    if (Channel* channel = findChannel(handle)) {
        Mix_Chunk* chunk = s.samples[channel->sample].chunk;
        if (Mix_Playing(channel->mixerChannel) && !restart) {
            Mix_Resume(channel->mixerChannel);
            return ok();
        }
        if (Mix_PlayChannel(channel->mixerChannel, chunk, 0) < 0)
            return fail(BASS_ERROR_UNKNOWN);
        Mix_Volume(channel->mixerChannel, toMixerVolume(channel->volume));
        if (s.paused)
            Mix_Pause(channel->mixerChannel);
        return ok();
    }
    if (Stream* stream = findStream(handle)) {
        if (s.playingStream == handle && !restart && Mix_PlayingMusic()) {
            Mix_ResumeMusic();
            return ok();
        }
        // Playing over a fading music would wait for the fade inside the mixer.
        haltMusicQuietly();
        stream->fadingOut = false;
        stream->slide.reset();
        Mix_VolumeMusic(toMixerVolume(stream->volume));
        gMusicPlaying.store(handle);
        if (Mix_PlayMusic(stream->music, 1) != 0) {
            gMusicPlaying.store(0);
            return fail(BASS_ERROR_UNKNOWN);
        }
        s.playingStream = handle;
        if (s.paused)
            Mix_PauseMusic();
        return ok();
    }
    return fail(BASS_ERROR_HANDLE);
}

BOOL BASS_ChannelStop(DWORD handle)
{
    if (Channel* channel = findChannel(handle)) {
        Mix_HaltChannel(channel->mixerChannel);
        channel->slide.reset();
        return ok();
    }
    if (Stream* stream = findStream(handle)) {
        if (state().playingStream == handle)
            haltMusicQuietly();
        stream->fadingOut = false;
        stream->slide.reset();
        return ok();
    }
    return fail(BASS_ERROR_HANDLE);
}

DWORD BASS_ChannelIsActive(DWORD handle)
{
    gError = BASS_OK;
    if (Channel* channel = findChannel(handle)) {
        if (!Mix_Playing(channel->mixerChannel))
            return BASS_ACTIVE_STOPPED;
        return Mix_Paused(channel->mixerChannel) ? BASS_ACTIVE_PAUSED : BASS_ACTIVE_PLAYING;
    }
    if (findStream(handle)) {
        if (state().playingStream != handle || gMusicPlaying.load() != handle)
            return BASS_ACTIVE_STOPPED;
        return Mix_PausedMusic() ? BASS_ACTIVE_PAUSED : BASS_ACTIVE_PLAYING;
    }
    gError = BASS_ERROR_HANDLE;
    return BASS_ACTIVE_STOPPED;
}

BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attribute, float value)
{
    if (attribute != BASS_ATTRIB_VOL)
        return fail(BASS_ERROR_ILLPARAM);
    if (Channel* channel = findChannel(handle)) {
        channel->slide.reset();
        setChannelVolume(*channel, value);
        return ok();
    }
    if (Stream* stream = findStream(handle)) {
        stream->slide.reset();
        setStreamVolume(handle, *stream, value);
        return ok();
    }
    return fail(BASS_ERROR_HANDLE);
}

BOOL BASS_ChannelGetAttribute(DWORD handle, DWORD attribute, float* value)
{
    if (attribute != BASS_ATTRIB_VOL || !value)
        return fail(BASS_ERROR_ILLPARAM);
    if (Channel* channel = findChannel(handle)) {
        *value = channel->volume;
        return ok();
    }
    if (Stream* stream = findStream(handle)) {
        *value = stream->volume;
        return ok();
    }
    return fail(BASS_ERROR_HANDLE);
}

BOOL BASS_ChannelSlideAttribute(DWORD handle, DWORD attribute, float value, DWORD time)
{
    if (attribute != BASS_ATTRIB_VOL)
        return fail(BASS_ERROR_ILLPARAM);
    auto slide = std::make_unique<Slide>();
    slide->to = std::isfinite(value) ? value : 0.0f;
    slide->start = SDL_GetTicks();
    slide->duration = time;
    if (Channel* channel = findChannel(handle)) {
        slide->from = channel->volume;
        channel->slide = std::move(slide);
        return ok();
    }
    if (Stream* stream = findStream(handle)) {
        slide->from = stream->volume;
        const bool playing = state().playingStream == handle && gMusicPlaying.load() == handle;
        if (slide->to <= 0.0f && playing && time > 0) {
            // The mixer fades the music out and stops it; its end is the slide's end.
            if (!stream->fadingOut && Mix_FadeOutMusic(static_cast<int>(std::min<DWORD>(time, 0x7FFFFFFF))))
                stream->fadingOut = true;
            if (stream->fadingOut) {
                stream->slide.reset();
                return ok();
            }
        }
        stream->slide = std::move(slide);
        return ok();
    }
    return fail(BASS_ERROR_HANDLE);
}

HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD, SYNCPROC* proc, void* user)
{
    const DWORD kind = type & 0xFFFF;
    if (!proc || (kind != BASS_SYNC_END && kind != BASS_SYNC_SLIDE))
        return failHandle(BASS_ERROR_ILLPARAM);
    std::map<HSYNC, Sync>* syncs = nullptr;
    if (Channel* channel = findChannel(handle))
        syncs = &channel->syncs;
    else if (Stream* stream = findStream(handle))
        syncs = &stream->syncs;
    if (!syncs)
        return failHandle(BASS_ERROR_HANDLE);
    const HSYNC sync = state().nextSync++;
    (*syncs)[sync] = Sync{type, proc, user};
    gError = BASS_OK;
    return sync;
}

BOOL BASS_ChannelRemoveSync(DWORD handle, HSYNC sync)
{
    std::map<HSYNC, Sync>* syncs = nullptr;
    if (Channel* channel = findChannel(handle))
        syncs = &channel->syncs;
    else if (Stream* stream = findStream(handle))
        syncs = &stream->syncs;
    if (!syncs || !syncs->erase(sync))
        return fail(BASS_ERROR_HANDLE);
    return ok();
}

int BASS_ServeSyncs()
{
    State& s = state();
    int called = 0;
    const Uint32 now = SDL_GetTicks();

    // Stepped slides; the handles are gathered first because a callback may free any.
    std::vector<DWORD> slidEnded;
    for (auto& [handle, channel] : s.channels) {
        if (!channel.slide)
            continue;
        const Slide& slide = *channel.slide;
        const Uint32 elapsed = now - slide.start;
        if (elapsed >= slide.duration) {
            setChannelVolume(channel, slide.to);
            channel.slide.reset();
            slidEnded.push_back(handle);
        } else {
            setChannelVolume(channel, slide.from + (slide.to - slide.from) * elapsed / slide.duration);
        }
    }
    for (auto& [handle, stream] : s.streams) {
        if (!stream.slide)
            continue;
        const Slide& slide = *stream.slide;
        const Uint32 elapsed = now - slide.start;
        if (elapsed >= slide.duration) {
            const float to = slide.to;
            stream.slide.reset();
            setStreamVolume(handle, stream, to);
            slidEnded.push_back(handle);
        } else {
            setStreamVolume(handle, stream, slide.from + (slide.to - slide.from) * elapsed / slide.duration);
        }
    }

    // The music's end, as the audio thread saw it: the end of a fade-out or of the track.
    DWORD musicEnd = 0;
    if (const DWORD ended = gMusicEnded.exchange(0)) {
        if (Stream* stream = findStream(ended)) {
            if (s.playingStream == ended)
                s.playingStream = 0;
            if (stream->fadingOut) {
                stream->fadingOut = false;
                stream->volume = 0.0f;
                slidEnded.push_back(ended);
            } else {
                musicEnd = ended;
            }
        }
    }

    for (DWORD handle : slidEnded) {
        if (Channel* channel = findChannel(handle))
            called += fire(channel->syncs, BASS_SYNC_SLIDE, handle);
        else if (Stream* stream = findStream(handle))
            called += fire(stream->syncs, BASS_SYNC_SLIDE, handle);
    }
    if (musicEnd) {
        if (Stream* stream = findStream(musicEnd))
            called += fire(stream->syncs, BASS_SYNC_END, musicEnd);
    }
    return called;
}
