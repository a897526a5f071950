#pragma once
// Writers of the engine's animation files and ".lib" mesh libraries (little-endian,
// strings as a u32 byte length and the bytes), and the text descriptions that the
// animwrite tool turns into them. Independent of the engine's readers on purpose.
#include "Core/Base/Types.h"
#include <array>
#include <string>
#include <vector>

namespace animwrite {

struct Key {
    float value = 0.0f;
    float time = 0.0f;
    u32 shape = 3; // linear
    std::array<float, 6> p{};
};

struct Envelope {
    u32 pre = 1; // constant
    u32 post = 1;
    std::vector<Key> keys;
};

// Motion channels in file order: px py pz rx ry rz sx sy sz dissolve; colour channels:
// red green blue tint.
struct Object {
    std::string name;
    std::string library = "null";
    std::string mesh = "null";
    u32 parent = 0; // 0 none, else parent index + 1
    u32 flagA = 0;
    u32 flagB = 0;
    bool hasColour = false;
    std::array<Envelope, 4> colour;
    std::array<Envelope, 10> motion;
};

struct Animation {
    std::string scene;
    float start = 0.0f;
    float end = 0.0f;
    std::vector<Object> objects;
};

struct Vertex {
    float x = 0.0f, y = 0.0f, z = 0.0f, u = 0.0f, v = 0.0f;
};

struct MeshRecord {
    std::string name;
    std::string texture;
    u32 vertexBase = 0;
    u32 vertexCount = 0;
    u32 indexStart = 0;
    u32 indexCount = 0;
};

struct MeshLibraryFile {
    // Indices address the whole vertex array.
    std::vector<u32> indices;
    std::vector<Vertex> vertices;
    std::vector<MeshRecord> meshes;
    u32 endMarker = 2012;

    // Appends a mesh whose `localIndices` count from its own first vertex.
    void AddMesh(const std::string& name, const std::string& texture, const std::vector<Vertex>& meshVertices,
                 const std::vector<u32>& localIndices);
};

std::vector<u8> WriteAnimation(const Animation& animation);
std::vector<u8> WriteMeshLibrary(const MeshLibraryFile& library);

// Channel names of the descriptions: the ten motion channels, then the four colour ones.
int ChannelIndex(const std::string& name);

// Animation description, one statement a line ('#' starts a comment):
//   scene NAME
//   time START END
//   object NAME LIBRARY MESH [parent=INDEX+1] [flags=A,B]
//   envelope CHANNEL PRE POST          channel: px py pz rx ry rz sx sy sz dissolve
//                                        red green blue tint (these give the object colour)
//                                      behaviour: reset constant repeat oscillate offset linear
//   key VALUE TIME SHAPE [P1 .. P6]    shape: tcb hermite bezier linear stepped bezier2d
// An envelope that is not listed has no keys.
bool ParseAnimationText(const std::string& text, Animation& out, std::string& error);

// Mesh-library description:
//   mesh NAME TEXTURE                  starts a mesh
//   vertex X Y Z U V                   appended to the current mesh
//   triangle A B C                     indices counted from the mesh's first vertex, after them
//   end MARKER                         optional; 2012 when absent
bool ParseMeshLibraryText(const std::string& text, MeshLibraryFile& out, std::string& error);

} // namespace animwrite
