#pragma once
// Rewrites the Direct3D 9 effect-style declarations that the HLSL front end does not
// take into plain declarations, keeping every line where it was so that compiler
// messages point at the author's lines:
//   sampler NAME = sampler_state { ... };   ->  sampler NAME;   (states recorded)
//   texture NAME;                           ->  blanked out
#include <string>
#include <utility>
#include <vector>

namespace d3dx9 {

struct SamplerStateBlock {
    std::string sampler;
    std::vector<std::pair<std::string, std::string>> states; // ("MinFilter", "LINEAR"), ("Texture", "g_Tex")
};

class HlslShim {
public:
    explicit HlslShim(std::string source);

    const std::string& Text() const { return text_; }
    const std::vector<SamplerStateBlock>& SamplerStates() const { return samplers_; }

private:
    void Run();

    std::string text_;
    std::vector<SamplerStateBlock> samplers_;
};

} // namespace d3dx9
