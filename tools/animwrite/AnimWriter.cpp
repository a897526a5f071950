#include "tools/animwrite/AnimWriter.h"
#include "Core/Base/ByteWriter.h"
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace animwrite {

namespace {

void WriteEnvelope(base::ByteWriter& out, const Envelope& envelope)
{
    out.Count(envelope.keys);
    out.U32s(envelope.pre, envelope.post);
    for (const Key& key : envelope.keys) {
        out.F32s(key.value, key.time);
        out.U32(key.shape);
        for (float p : key.p)
            out.F32(p);
    }
}

const char* const kChannels[] = {"px", "py", "pz",       "rx",  "ry",    "rz",   "sx",
                                 "sy", "sz", "dissolve", "red", "green", "blue", "tint"};
const char* const kBehaviours[] = {"reset", "constant", "repeat", "oscillate", "offset", "linear"};
const char* const kShapes[] = {"tcb", "hermite", "bezier", "linear", "stepped", "bezier2d"};

template <size_t N> int Lookup(const char* const (&names)[N], const std::string& word)
{
    for (size_t i = 0; i < N; ++i) {
        if (word == names[i])
            return static_cast<int>(i);
    }
    return -1;
}

bool ToFloat(const std::string& word, float& out)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value))
        return false;
    out = static_cast<float>(value);
    return true;
}

bool ToU32(const std::string& word, u32& out)
{
    if (word.empty() || word[0] == '-')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(word.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || value > 0xFFFFFFFFull)
        return false;
    out = static_cast<u32>(value);
    return true;
}

// Splits a description into lines of words, dropping comments and blank lines.
std::vector<std::pair<int, std::vector<std::string>>> Statements(const std::string& text)
{
    std::vector<std::pair<int, std::vector<std::string>>> lines;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.resize(hash);
        std::istringstream words(line);
        std::vector<std::string> list;
        for (std::string word; words >> word;)
            list.push_back(word);
        if (!list.empty())
            lines.emplace_back(number, std::move(list));
    }
    return lines;
}

bool Error(std::string& error, int line, const std::string& why)
{
    error = "line " + std::to_string(line) + ": " + why;
    return false;
}

} // namespace

void MeshLibraryFile::AddMesh(const std::string& name, const std::string& texture,
                              const std::vector<Vertex>& meshVertices, const std::vector<u32>& localIndices)
{
    MeshRecord record;
    record.name = name;
    record.texture = texture;
    record.vertexBase = static_cast<u32>(vertices.size());
    record.vertexCount = static_cast<u32>(meshVertices.size());
    record.indexStart = static_cast<u32>(indices.size());
    record.indexCount = static_cast<u32>(localIndices.size());
    vertices.insert(vertices.end(), meshVertices.begin(), meshVertices.end());
    for (u32 index : localIndices)
        indices.push_back(record.vertexBase + index);
    meshes.push_back(record);
}

std::vector<u8> WriteAnimation(const Animation& animation)
{
    std::vector<u8> bytes;
    base::ByteWriter out(bytes);
    out.String(animation.scene);
    out.F32s(animation.start, animation.end);
    out.Count(animation.objects);
    for (const Object& object : animation.objects) {
        out.String(object.name);
        out.String(object.library);
        out.String(object.mesh);
        out.U32s(object.parent, object.flagA, object.flagB, object.hasColour ? 1u : 0u);
        if (object.hasColour) {
            for (const Envelope& envelope : object.colour)
                WriteEnvelope(out, envelope);
        }
        for (const Envelope& envelope : object.motion)
            WriteEnvelope(out, envelope);
    }
    return bytes;
}

std::vector<u8> WriteMeshLibrary(const MeshLibraryFile& library)
{
    std::vector<u8> bytes;
    base::ByteWriter out(bytes);
    out.Count(library.indices);
    for (u32 index : library.indices)
        out.U32(index);
    out.Count(library.vertices);
    for (const Vertex& v : library.vertices)
        out.F32s(v.x, v.y, v.z, v.u, v.v);
    out.Count(library.meshes);
    for (const MeshRecord& mesh : library.meshes) {
        out.String(mesh.name);
        out.String(mesh.texture);
        out.U32s(mesh.vertexBase, mesh.vertexCount, mesh.indexStart, mesh.indexCount);
    }
    out.U32(library.endMarker);
    return bytes;
}

int ChannelIndex(const std::string& name)
{
    return Lookup(kChannels, name);
}

bool ParseAnimationText(const std::string& text, Animation& out, std::string& error)
{
    out = Animation{};
    Envelope* envelope = nullptr;
    for (const auto& [line, words] : Statements(text)) {
        const std::string& verb = words[0];
        if (verb == "scene") {
            if (words.size() != 2)
                return Error(error, line, "scene takes one name");
            out.scene = words[1];
        } else if (verb == "time") {
            if (words.size() != 3 || !ToFloat(words[1], out.start) || !ToFloat(words[2], out.end))
                return Error(error, line, "time takes a start and an end time");
        } else if (verb == "object") {
            if (words.size() < 4)
                return Error(error, line, "object takes a name, a library and a mesh");
            Object object;
            object.name = words[1];
            object.library = words[2];
            object.mesh = words[3];
            for (size_t i = 4; i < words.size(); ++i) {
                const std::string& option = words[i];
                if (option.rfind("parent=", 0) == 0) {
                    if (!ToU32(option.substr(7), object.parent))
                        return Error(error, line, "bad parent");
                } else if (option.rfind("flags=", 0) == 0) {
                    const std::string pair = option.substr(6);
                    const size_t comma = pair.find(',');
                    if (comma == std::string::npos || !ToU32(pair.substr(0, comma), object.flagA) ||
                        !ToU32(pair.substr(comma + 1), object.flagB))
                        return Error(error, line, "flags take A,B");
                } else {
                    return Error(error, line, "unknown object option '" + option + "'");
                }
            }
            out.objects.push_back(std::move(object));
            envelope = nullptr;
        } else if (verb == "envelope") {
            if (out.objects.empty())
                return Error(error, line, "envelope before any object");
            const int channel = words.size() == 4 ? ChannelIndex(words[1]) : -1;
            const int pre = words.size() == 4 ? Lookup(kBehaviours, words[2]) : -1;
            const int post = words.size() == 4 ? Lookup(kBehaviours, words[3]) : -1;
            if (channel < 0 || pre < 0 || post < 0)
                return Error(error, line, "envelope takes a channel and two behaviours");
            Object& object = out.objects.back();
            if (channel >= 10) {
                object.hasColour = true;
                envelope = &object.colour[size_t(channel - 10)];
            } else {
                envelope = &object.motion[size_t(channel)];
            }
            envelope->pre = u32(pre);
            envelope->post = u32(post);
            envelope->keys.clear();
        } else if (verb == "key") {
            if (!envelope)
                return Error(error, line, "key outside an envelope");
            Key key;
            const int shape = words.size() >= 4 ? Lookup(kShapes, words[3]) : -1;
            if (words.size() < 4 || words.size() > 10 || shape < 0 || !ToFloat(words[1], key.value) ||
                !ToFloat(words[2], key.time))
                return Error(error, line, "key takes a value, a time, a shape and up to six parameters");
            key.shape = u32(shape);
            for (size_t i = 4; i < words.size(); ++i) {
                if (!ToFloat(words[i], key.p[i - 4]))
                    return Error(error, line, "bad key parameter");
            }
            envelope->keys.push_back(key);
        } else {
            return Error(error, line, "unknown statement '" + verb + "'");
        }
    }
    return true;
}

bool ParseMeshLibraryText(const std::string& text, MeshLibraryFile& out, std::string& error)
{
    out = MeshLibraryFile{};
    struct Pending {
        std::string name, texture;
        std::vector<Vertex> vertices;
        std::vector<u32> indices;
    };
    std::vector<Pending> meshes;
    for (const auto& [line, words] : Statements(text)) {
        const std::string& verb = words[0];
        if (verb == "mesh") {
            if (words.size() != 3)
                return Error(error, line, "mesh takes a name and a texture");
            meshes.push_back(Pending{words[1], words[2], {}, {}});
        } else if (verb == "vertex") {
            Vertex v;
            if (meshes.empty())
                return Error(error, line, "vertex before any mesh");
            if (words.size() != 6 || !ToFloat(words[1], v.x) || !ToFloat(words[2], v.y) ||
                !ToFloat(words[3], v.z) || !ToFloat(words[4], v.u) || !ToFloat(words[5], v.v))
                return Error(error, line, "vertex takes x y z u v");
            meshes.back().vertices.push_back(v);
        } else if (verb == "triangle") {
            if (meshes.empty())
                return Error(error, line, "triangle before any mesh");
            if (words.size() != 4)
                return Error(error, line, "triangle takes three indices");
            for (size_t i = 1; i < 4; ++i) {
                u32 index = 0;
                if (!ToU32(words[i], index) || index >= meshes.back().vertices.size())
                    return Error(error, line, "triangle index outside the mesh's vertices");
                meshes.back().indices.push_back(index);
            }
        } else if (verb == "end") {
            if (words.size() != 2 || !ToU32(words[1], out.endMarker))
                return Error(error, line, "end takes the marker value");
        } else {
            return Error(error, line, "unknown statement '" + verb + "'");
        }
    }
    for (const Pending& mesh : meshes)
        out.AddMesh(mesh.name, mesh.texture, mesh.vertices, mesh.indices);
    return true;
}

} // namespace animwrite
