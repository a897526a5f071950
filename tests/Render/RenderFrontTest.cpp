// The renderer front end, observed through the bytes it records and through
// what a recording back end receives on replay.
#include "CommandDecoder.h"
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Render.h"
#include "Core/Render/Vertex.h"
#include "RecordingRender.h"
#include <functional>
#include <gtest/gtest.h>

namespace {

using render::Command;
using test::Codes;
using test::Decode;
using test::DecodedCommand;

class RenderFront : public ::testing::Test {
protected:
    void SetUp() override
    {
        param.width = 800;
        param.height = 600;
        ASSERT_EQ(GE_OK, r.InitRender(nullptr, param));
        geomA.Create(render::SVertexGeom::Format(), 16, 1);
        geomB.Create(render::SVertexGeom::Format(), 16, 1);
        quads.Create(render::SVertex2D::Format(), 16, 1);
        indices.Create(2, 64, 1);
        state.shader = &shaderA;
        state.vertexBuffer = &geomA;
        state.blendMode = 1;
    }

    // Decodes what was recorded since the last mark.
    std::vector<DecodedCommand> Recorded()
    {
        auto all = Decode(r.GetCommandBuffer());
        return std::vector<DecodedCommand>(all.begin() + static_cast<long>(mark), all.end());
    }
    // Everything recorded so far is settled; later checks see only what follows.
    void Mark() { mark = Decode(r.GetCommandBuffer()).size(); }

    static std::vector<DecodedCommand> Only(const std::vector<DecodedCommand>& all, u32 code)
    {
        std::vector<DecodedCommand> out;
        for (const auto& c : all)
            if (c.code == code)
                out.push_back(c);
        return out;
    }

    render::RenderInitParam param;
    test::RecordingRender r;
    test::LoggingShader shaderA{&r, &r.log};
    test::LoggingShader shaderB{&r, &r.log};
    test::MemoryVertexBuffer geomA{&r};
    test::MemoryVertexBuffer geomB{&r};
    test::MemoryVertexBuffer quads{&r};
    test::MemoryIndexBuffer indices{&r};
    render::RenderState state;
    size_t mark = 0;
};

struct BatchCase {
    const char* name;
    u32 type;
    u32 start1, count1, start2, count2;
    std::vector<std::vector<u32>> draws; // type, start, count of each command 16
};

TEST_F(RenderFront, ConsecutiveDrawsJoinOnlyWhenContiguousListsOfOneType)
{
    const BatchCase cases[] = {
        {"contiguous triangle lists", 3, 0, 2, 6, 3, {{3, 0, 5}}},
        {"gap between triangle lists", 3, 0, 2, 7, 1, {{3, 0, 2}, {3, 7, 1}}},
        {"overlapping triangle lists", 3, 0, 2, 3, 1, {{3, 0, 2}, {3, 3, 1}}},
        {"contiguous line lists", 1, 4, 3, 10, 2, {{1, 4, 5}}},
        {"contiguous point lists", 0, 0, 5, 5, 5, {{0, 0, 10}}},
        {"line strips", 2, 0, 3, 4, 1, {{2, 0, 3}, {2, 4, 1}}},
        {"triangle strips", 4, 0, 2, 4, 2, {{4, 0, 2}, {4, 4, 2}}},
        {"triangle fans", 5, 0, 2, 4, 2, {{5, 0, 2}, {5, 4, 2}}},
        {"strip drawn right after the strip's last vertex", 4, 0, 2, 2, 2, {{4, 0, 2}, {4, 2, 2}}},
        {"strip at a triangle-list offset", 4, 0, 2, 6, 1, {{4, 0, 2}, {4, 6, 1}}},
        {"fan at a triangle-list offset", 5, 0, 2, 6, 1, {{5, 0, 2}, {5, 6, 1}}},
        {"line strip at a line-list offset", 2, 0, 3, 6, 1, {{2, 0, 3}, {2, 6, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(GE_OK, r.SetState(&state, true));
        Mark();
        ASSERT_EQ(GE_OK, r.Draw(c.type, c.start1, c.count1));
        ASSERT_EQ(GE_OK, r.Draw(c.type, c.start2, c.count2));
        ASSERT_EQ(GE_OK, r.FlushBatch());
        const auto draws = Only(Recorded(), u32(Command::Draw));
        ASSERT_EQ(c.draws.size(), draws.size());
        for (size_t i = 0; i < draws.size(); ++i)
            EXPECT_EQ(c.draws[i], (std::vector<u32>{draws[i].U32(0), draws[i].U32(4), draws[i].U32(8)}));
    }
}

TEST_F(RenderFront, DifferentPrimitiveTypesInOneStateDrawSeparately)
{
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    ASSERT_EQ(GE_OK, r.Draw(render::Render::TriangleList, 0, 2));
    ASSERT_EQ(GE_OK, r.Draw(render::Render::LineList, 6, 1));
    ASSERT_EQ(GE_OK, r.FlushBatch());
    EXPECT_EQ(2u, Only(Recorded(), u32(Command::Draw)).size());
}

TEST_F(RenderFront, StateChangeFlushesThenRecordsStateThenOpensNewBatch)
{
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    ASSERT_EQ(GE_OK, r.Draw(3, 0, 2));
    state.blendMode = 2;
    ASSERT_EQ(GE_OK, r.SetState(&state, true));
    ASSERT_EQ(GE_OK, r.Draw(3, 6, 1)); // contiguous, but the state changed
    ASSERT_EQ(GE_OK, r.FlushBatch());
    const auto recorded = Recorded();
    // shader, vertex format and stream, blend, the new shader's (empty) variable
    // block, the first batch, the new blend mode, the second batch.
    EXPECT_EQ((std::vector<u32>{6, 8, 9, 11, 7, 16, 11, 16}), Codes(recorded));
    EXPECT_EQ(2u, recorded[6].U32(0));
    EXPECT_EQ(1u, recorded[7].U32(8));
}

TEST_F(RenderFront, IndexedDrawsJoinWithMergedVertexRangeAndFlushAfterPlainDraws)
{
    state.indexBuffer = &indices;
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    ASSERT_EQ(GE_OK, r.Draw(3, 0, 2));
    ASSERT_EQ(GE_OK, r.DrawIndexed(3, 0, 2, 4, 4));   // flushes the plain batch
    ASSERT_EQ(GE_OK, r.DrawIndexed(3, 6, 2, 0, 4));   // contiguous: joins
    ASSERT_EQ(GE_OK, r.DrawIndexed(3, 12, 1, 6, 10)); // contiguous: joins
    ASSERT_EQ(GE_OK, r.DrawIndexed(3, 15, 1, 16, 4)); // joins, its vertices right after
    ASSERT_EQ(GE_OK, r.DrawIndexed(4, 18, 2, 0, 4));  // a strip never joins
    ASSERT_EQ(GE_OK, r.FlushBatch());
    const auto recorded = Recorded();
    const auto plain = Only(recorded, u32(Command::Draw));
    const auto indexed = Only(recorded, u32(Command::DrawIndexed));
    ASSERT_EQ(1u, plain.size());
    ASSERT_EQ(2u, indexed.size());
    auto fields = [](const DecodedCommand& c) {
        std::vector<u32> v;
        for (size_t i = 0; i < 6; ++i)
            v.push_back(c.U32(4 * i));
        return v;
    };
    // type, index size of the bound index buffer, start, count, min vertex, span
    EXPECT_EQ((std::vector<u32>{3, 2, 0, 6, 0, 20}), fields(indexed[0]));
    EXPECT_EQ((std::vector<u32>{4, 2, 18, 2, 0, 4}), fields(indexed[1]));
}

TEST_F(RenderFront, VertexFormatIsRecordedOnlyWhenTheFormatChanges)
{
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    ASSERT_EQ(GE_OK, r.ApplyState());
    Mark();
    state.vertexBuffer = &geomB; // same format
    ASSERT_EQ(GE_OK, r.SetState(&state, true));
    ASSERT_EQ(GE_OK, r.ApplyState());
    auto same = Recorded();
    ASSERT_EQ((std::vector<u32>{9}), Codes(same));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(&geomB), same[0].Address(0));

    Mark();
    state.vertexBuffer = &quads; // another format
    ASSERT_EQ(GE_OK, r.SetState(&state, true));
    ASSERT_EQ(GE_OK, r.ApplyState());
    auto other = Recorded();
    ASSERT_EQ((std::vector<u32>{8, 9}), Codes(other));
    EXPECT_EQ(render::SVertex2D::Format().id, other[0].U32(0));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(&quads), other[1].Address(0));
}

TEST_F(RenderFront, SetStateWithTheCurrentBlockDoesNothingUnlessForced)
{
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    ASSERT_EQ(GE_OK, r.ApplyState());
    state.blendMode = 2;
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    EXPECT_FALSE(r.IsDirty());
    EXPECT_EQ(1u, r.GetRequestedState().blendMode);
    ASSERT_EQ(GE_OK, r.SetState(&state, true));
    EXPECT_TRUE(r.IsDirty());
    EXPECT_EQ(2u, r.GetRequestedState().blendMode);
    EXPECT_EQ(GE_FAIL, r.SetState(nullptr, true));
}

TEST_F(RenderFront, TargetScaleAndOffsetAreCopiedOnlyWithATargetChange)
{
    test::NullTexture target(&r);
    render::RenderState other = state;
    other.scaleX = 3.0f;
    ASSERT_EQ(GE_OK, r.SetState(&other, true));
    EXPECT_EQ(1.0f, r.GetRequestedState().scaleX);
    other.target = &target;
    ASSERT_EQ(GE_OK, r.SetState(&other, true));
    EXPECT_EQ(3.0f, r.GetRequestedState().scaleX);
}

TEST_F(RenderFront, DepthCommandCarriesTheWriteByteOnlyWhileTheTestIsOn)
{
    struct Step {
        const char* name;
        u8 test, write;
        std::vector<u8> operands; // empty: no command 14 at all
    };
    const Step steps[] = {
        {"test on", 1, 1, {1, 1}},
        {"write off while testing", 1, 0, {1, 0}},
        {"test off", 0, 0, {0}},
        {"write change without the test", 0, 1, {}},
        {"test on again sends the write flag", 1, 1, {1, 1}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        Mark();
        state.depthTest = s.test;
        state.depthWrite = s.write;
        ASSERT_EQ(GE_OK, r.SetState(&state, true));
        ASSERT_EQ(GE_OK, r.ApplyState());
        const auto depth = Only(Recorded(), u32(Command::SetDepth));
        if (s.operands.empty()) {
            EXPECT_TRUE(depth.empty());
        } else {
            ASSERT_EQ(1u, depth.size());
            EXPECT_EQ(s.operands, depth[0].operands);
        }
    }
    r.log.clear();
    ASSERT_EQ(GE_OK, r.ExecuteCommands());
    // One-byte form replays with write 0.
    EXPECT_NE(std::find(r.log.begin(), r.log.end(), "depth 0 0"), r.log.end());
}

TEST_F(RenderFront, ScissorRectIsConvertedToDevicePixelsTruncatingTowardZero)
{
    param.screenScaleX = 0.5f;
    param.screenScaleY = 0.5f;
    param.screenOffsetX = 10.0f;
    param.screenOffsetY = 20.0f;
    ASSERT_EQ(GE_OK, r.InitRender(nullptr, param));
    Mark();
    state.scissorEnabled = 1;
    const float rect[4] = {-31.0f, 5.0f, 101.0f, 50.9f};
    std::copy(rect, rect + 4, state.scissorRect);
    ASSERT_EQ(GE_OK, r.SetState(&state, true));
    ASSERT_EQ(GE_OK, r.ApplyState());
    auto recorded = Recorded();
    auto on = Only(recorded, u32(Command::EnableScissor));
    auto rects = Only(recorded, u32(Command::SetScissorRect));
    ASSERT_EQ(1u, on.size());
    EXPECT_EQ(std::vector<u8>{1}, on[0].operands);
    ASSERT_EQ(1u, rects.size());
    // -31 x 0.5 + 10 = -5.5 -> -5; 5 x 0.5 + 20 = 22.5 -> 22; 50.5 -> 50; 25.45 -> 25
    EXPECT_EQ((std::vector<i32>{-5, 22, 50, 25}),
              (std::vector<i32>{rects[0].At<i32>(0), rects[0].At<i32>(4), rects[0].At<i32>(8),
                                rects[0].At<i32>(12)}));

    // A rectangle change while the scissor is off is neither copied nor recorded.
    Mark();
    state.scissorEnabled = 0;
    state.scissorRect[0] = 0.0f;
    ASSERT_EQ(GE_OK, r.SetState(&state, true));
    ASSERT_EQ(GE_OK, r.ApplyState());
    EXPECT_EQ((std::vector<u32>{12}), Codes(Recorded()));
    EXPECT_EQ(-31.0f, r.GetRequestedState().scissorRect[0]);
}

TEST_F(RenderFront, ResendFlagsRecordStateAgainAfterATargetChange)
{
    test::NullTexture target(&r);
    state.indexBuffer = &indices;
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    ASSERT_EQ(GE_OK, r.ApplyState());

    r.Caps().resendScissorAfterTargetChange = 1;
    Mark();
    state.target = &target;
    ASSERT_EQ(GE_OK, r.SetState(&state, true));
    ASSERT_EQ(GE_OK, r.ApplyState());
    EXPECT_EQ((std::vector<u32>{4, 12, 13}), Codes(Recorded()));

    r.Caps().resendStateAfterTargetChange = 1;
    Mark();
    state.target = nullptr;
    ASSERT_EQ(GE_OK, r.SetState(&state, true));
    ASSERT_EQ(GE_OK, r.ApplyState());
    // Everything but the vertex format, which did not change.
    EXPECT_EQ((std::vector<u32>{5, 6, 9, 10, 11, 12, 13, 14, 7}), Codes(Recorded()));
}

TEST_F(RenderFront, ClearRecordsAPendingTargetChangeFirst)
{
    test::NullTexture target(&r);
    r.GetRequestedState().target = &target;
    const float rgba[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    ASSERT_EQ(GE_OK, r.Clear(rgba, 1.0f));
    const auto recorded = Recorded();
    ASSERT_EQ((std::vector<u32>{4, 0}), Codes(recorded));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(&target), recorded[0].Address(0));
    EXPECT_EQ(1u, recorded[1].U32(0));
    EXPECT_EQ(0.75f, recorded[1].At<float>(12));
    EXPECT_EQ(1.0f, recorded[1].At<float>(20));
    EXPECT_EQ(0u, recorded[1].U32(24));
    EXPECT_TRUE(r.IsDirty());

    ASSERT_EQ(GE_OK, r.ExecuteCommands());
    EXPECT_EQ((std::vector<std::string>{"target", "clear 1 0.25 0.5 0.75 1 1 0"}), r.log);
    EXPECT_EQ(&target, r.lastTarget);
}

TEST_F(RenderFront, EmptyFrameReplaysOnlyTheEndCode)
{
    ASSERT_EQ(GE_OK, r.ExecuteCommands());
    EXPECT_TRUE(r.log.empty());
    u32 first = 0;
    std::memcpy(&first, r.GetCommandBuffer().Data(), 4);
    EXPECT_EQ(u32(Command::End), first);
    EXPECT_EQ(0u, r.GetCommandBuffer().Position());
}

TEST_F(RenderFront, SceneWithEmptyBatchEndsWithOnlyTheEndSceneCode)
{
    ASSERT_EQ(GE_OK, r.BeginScene());
    EXPECT_TRUE(r.IsInScene());
    Mark();
    ASSERT_EQ(GE_OK, r.EndScene());
    EXPECT_EQ((std::vector<u32>{2}), Codes(Recorded()));
    EXPECT_FALSE(r.IsInScene());
}

TEST_F(RenderFront, FrameReplaysInRecordedOrderWithFullWidthAddresses)
{
    ASSERT_EQ(GE_OK, r.BeginScene());
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    ASSERT_EQ(GE_OK, r.Clear(black, 1.0f));
    state.indexBuffer = &indices;
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    ASSERT_EQ(GE_OK, r.DrawIndexed(3, 0, 2, 0, 4));
    ASSERT_EQ(GE_OK, r.EndScene());
    ASSERT_EQ(GE_OK, r.Present());
    ASSERT_EQ(GE_OK, r.ExecuteCommands());
    EXPECT_EQ((std::vector<std::string>{"begin", "clear 1 0 0 0 1 1 0", "shader", "format 1", "stream",
                                        "indices", "blend 1", "drawindexed 3 2 0 2 0 4", "end", "present"}),
              r.log);
    // Objects arrive as the very addresses that were recorded.
    EXPECT_EQ(&shaderA, r.lastShader);
    EXPECT_EQ(&geomA, r.lastVertexBuffer);
    EXPECT_EQ(&indices, r.lastIndexBuffer);
}

TEST_F(RenderFront, FailedReplayRewindsSoTheNextFrameStartsClean)
{
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    ASSERT_EQ(GE_OK, r.Draw(3, 0, 1));
    ASSERT_EQ(GE_OK, r.FlushBatch());
    ASSERT_EQ(GE_OK, r.Present());
    r.failOn = "draw";
    EXPECT_EQ(GE_FAIL, r.ExecuteCommands());
    EXPECT_EQ(r.log.back(), "draw 3 0 1"); // stopped there: no present
    EXPECT_EQ(0u, r.GetCommandBuffer().Position());

    r.failOn.clear();
    r.log.clear();
    ASSERT_EQ(GE_OK, r.Present());
    ASSERT_EQ(GE_OK, r.ExecuteCommands());
    EXPECT_EQ((std::vector<std::string>{"present"}), r.log);
}

TEST_F(RenderFront, FailedOrDiscardedFramesRecordTheWholeStateAgain)
{
    const std::function<void(test::RecordingRender&)> losses[] = {
        [](test::RecordingRender& rr) {
            rr.failOn = "draw";
            EXPECT_EQ(GE_FAIL, rr.ExecuteCommands());
            rr.failOn.clear();
        },
        [](test::RecordingRender& rr) { rr.DiscardCommands(); },
    };
    for (size_t i = 0; i < std::size(losses); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(GE_OK, r.SetState(&state, false));
        ASSERT_EQ(GE_OK, r.Draw(3, 0, 1));
        ASSERT_EQ(GE_OK, r.FlushBatch());
        losses[i](r);
        mark = 0;

        // The same state block: the front end had nothing left to send, yet the
        // device never saw (all of) it.
        ASSERT_EQ(GE_OK, r.SetState(&state, false));
        ASSERT_EQ(GE_OK, r.Draw(3, 0, 1));
        ASSERT_EQ(GE_OK, r.FlushBatch());
        EXPECT_EQ((std::vector<u32>{5, 6, 8, 9, 10, 11, 12, 13, 14, 7, 16}), Codes(Recorded()));
        Mark();
        ASSERT_EQ(GE_OK, r.Draw(3, 3, 1));
        ASSERT_EQ(GE_OK, r.FlushBatch());
        EXPECT_EQ((std::vector<u32>{16}), Codes(Recorded())); // once only
        r.DiscardCommands();
        ASSERT_EQ(GE_OK, r.SetState(&state, false));
        ASSERT_EQ(GE_OK, r.ApplyState());
        ASSERT_EQ(GE_OK, r.ExecuteCommands());
        r.log.clear();
    }
}

TEST_F(RenderFront, ReplayStopsAtTheFirstFailingDeviceCall)
{
    ASSERT_EQ(GE_OK, r.BeginScene());
    ASSERT_EQ(GE_OK, r.EndScene());
    r.failOn = "begin";
    EXPECT_EQ(GE_FAIL, r.ExecuteCommands());
    EXPECT_EQ((std::vector<std::string>{"begin"}), r.log);
}

TEST_F(RenderFront, UnknownPrimitiveTypesAreRefused)
{
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    EXPECT_EQ(GE_FAIL, r.Draw(render::Render::NoPrimitive, 0, 1));
    EXPECT_EQ(GE_FAIL, r.DrawIndexed(7, 0, 1, 0, 3));
    ASSERT_EQ(GE_OK, r.FlushBatch());
    EXPECT_TRUE(Only(Recorded(), u32(Command::Draw)).empty());
}

TEST_F(RenderFront, ResetStateAtSceneStartRecordsTheWholeStateEachFrame)
{
    r.Caps().resetStateAtSceneStart = 1;
    for (int frame = 0; frame < 2; ++frame) {
        SCOPED_TRACE(frame);
        Mark();
        ASSERT_EQ(GE_OK, r.BeginScene());
        ASSERT_EQ(GE_OK, r.SetState(&state, false));
        ASSERT_EQ(GE_OK, r.Draw(3, 0, 1));
        ASSERT_EQ(GE_OK, r.EndScene());
        EXPECT_EQ((std::vector<u32>{1, 6, 8, 9, 11, 7, 16, 2}), Codes(Recorded()));
    }
}

// ---- shader variables ----

TEST_F(RenderFront, VariableBlockWithNothingChangedIsOneZeroByte)
{
    render::ShaderScalarPointer<math::Matrix4, 1>* proj = nullptr;
    ASSERT_EQ(GE_OK, shaderA.GetMatrixVariable("Proj", &proj));
    render::CommandBuffer stream;
    ASSERT_EQ(GE_OK, shaderA.WriteVariables(stream)); // the new variable: 1 + 1 + 8 bytes
    EXPECT_EQ(10u, stream.Position());
    EXPECT_FALSE(shaderA.IsDirty());
    stream.Rewind();
    ASSERT_EQ(GE_OK, shaderA.WriteVariables(stream));
    ASSERT_EQ(1u, stream.Position());
    EXPECT_EQ(0u, stream.Data()[0]);

    // Through the renderer: a program with no variables still sends its block once.
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    state.shader = &shaderB;
    ASSERT_EQ(GE_OK, r.SetState(&state, true));
    ASSERT_EQ(GE_OK, r.ApplyState());
    const auto blocks = Only(Recorded(), u32(Command::ShaderVariables));
    ASSERT_EQ(1u, blocks.size());
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(&shaderB), blocks[0].Address(0));
    EXPECT_EQ(9u, blocks[0].operands.size());
    EXPECT_EQ(0u, blocks[0].operands[8]);
}

TEST_F(RenderFront, ChangedVariablesAreRecordedAndAppliedAtReplay)
{
    render::ShaderScalarPointer<math::Matrix4, 1>* proj = nullptr;
    render::ShaderScalarVariable<math::Point4, 1>* tint = nullptr;
    render::ShaderTextureVariable<1>* sampler = nullptr;
    ASSERT_EQ(GE_OK, shaderA.GetMatrixVariable("Proj", &proj));
    ASSERT_EQ(GE_OK, shaderA.GetVectorVariable("color2", 0, &tint));
    ASSERT_EQ(GE_OK, shaderA.GetTextureVariable("TextureSampler", &sampler));
    test::NullTexture texture(&r);
    proj->SetValue(&r.GetProjection());
    tint->SetValue(math::Point4{0.5f, 0.0f, 0.0f, 0.25f});
    sampler->SetValue(&texture);

    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    ASSERT_EQ(GE_OK, r.Draw(3, 0, 1));
    const auto blocks = Only(Recorded(), u32(Command::ShaderVariables));
    ASSERT_EQ(1u, blocks.size());
    EXPECT_EQ(3u, blocks[0].operands[8]);
    EXPECT_EQ(9u + (1 + 8) + (1 + 16) + (1 + 8), blocks[0].operands.size());

    // Unchanged values are not recorded again; a changed one is, alone.
    sampler->SetValue(&texture);
    ASSERT_EQ(GE_OK, r.Draw(3, 3, 1));
    tint->SetValue(math::Point4{1.0f, 0.0f, 0.0f, 1.0f});
    ASSERT_EQ(GE_OK, r.Draw(3, 6, 1));
    ASSERT_EQ(GE_OK, r.FlushBatch());
    const auto all = Only(Recorded(), u32(Command::ShaderVariables));
    ASSERT_EQ(2u, all.size());
    EXPECT_EQ(1u, all[1].operands[8]);
    EXPECT_EQ(1u, all[1].operands[9]); // index of "color2"
    EXPECT_EQ(2u, Only(Recorded(), u32(Command::Draw)).size());

    r.log.clear();
    ASSERT_EQ(GE_OK, r.ExecuteCommands());
    EXPECT_EQ((std::vector<std::string>{"shader", "format 1", "stream", "blend 1", "Proj matrix 0.002500",
                                        "color2 vector 0.500000 0.250000", "TextureSampler texture",
                                        "draw 3 0 2", "color2 vector 1.000000 1.000000", "draw 3 6 1"}),
              r.log);
    auto* samplerImpl = static_cast<test::LoggingTextureVariable*>(sampler->GetImpl());
    EXPECT_EQ(&texture, samplerImpl->lastTexture);
    auto* projImpl = static_cast<test::LoggingScalarVariable*>(proj->GetImpl());
    EXPECT_EQ(&r.GetProjection(), projImpl->lastMatrix);
}

TEST_F(RenderFront, SwitchingBackToAProgramSendsAllItsValuesAgain)
{
    render::ShaderScalarPointer<math::Matrix4, 1>* proj = nullptr;
    ASSERT_EQ(GE_OK, shaderA.GetMatrixVariable("Proj", &proj));
    proj->SetValue(&r.GetProjection());
    ASSERT_EQ(GE_OK, r.SetState(&state, false));
    ASSERT_EQ(GE_OK, r.ApplyState());
    EXPECT_EQ(1, shaderA.bindCount);

    state.shader = &shaderB;
    ASSERT_EQ(GE_OK, r.SetState(&state, true));
    ASSERT_EQ(GE_OK, r.ApplyState());
    EXPECT_TRUE(shaderA.IsDirty());

    Mark();
    state.shader = &shaderA;
    ASSERT_EQ(GE_OK, r.SetState(&state, true));
    ASSERT_EQ(GE_OK, r.ApplyState());
    const auto recorded = Recorded();
    ASSERT_EQ((std::vector<u32>{6, 7}), Codes(recorded));
    EXPECT_EQ(1u, recorded[1].operands[8]);
    EXPECT_EQ(2, shaderA.bindCount);
}

TEST_F(RenderFront, VariableBlockNamingAMissingVariableIsRefused)
{
    render::ShaderScalarPointer<math::Matrix4, 1>* proj = nullptr;
    ASSERT_EQ(GE_OK, shaderA.GetMatrixVariable("Proj", &proj));
    render::CommandBuffer stream;
    const u8 block[] = {1, 5}; // one entry, variable 5 of 1
    stream.PutBytes(block, sizeof block);
    stream.Rewind();
    EXPECT_EQ(GE_FAIL, shaderA.ReadAndApplyVariables(stream));

    render::ShaderTextureVariable<1>* missing = nullptr;
    EXPECT_EQ(GE_FAIL, shaderA.GetTextureVariable("missing", &missing));
    EXPECT_EQ(nullptr, missing);
}

TEST_F(RenderFront, ProgramsHoldAtMost255Variables)
{
    for (int i = 0; i < 255; ++i) {
        render::ShaderScalarPointer<math::Matrix4, 1>* v = nullptr;
        ASSERT_EQ(GE_OK, shaderA.GetMatrixVariable(std::string("m") + std::to_string(i), &v));
    }
    render::ShaderScalarPointer<math::Matrix4, 1>* extra = nullptr;
    EXPECT_EQ(GE_FAIL, shaderA.GetMatrixVariable("one too many", &extra));
    EXPECT_EQ(255u, shaderA.GetVariables().size());
}

// ---- set-up, projection and registries ----

TEST_F(RenderFront, InitRenderMakesOneCachePerFormatWithCapacityAndTheIndexCaches)
{
    EXPECT_EQ((std::vector<u32>{40960, 5120}), r.createdVertexCounts);
    EXPECT_EQ((std::vector<u32>{10240, 61440}), r.createdIndexCounts);
    EXPECT_NE(nullptr, render::GetVertexCache<render::SVertex2D>(r));
    EXPECT_NE(nullptr, render::GetVertexCache<render::SVertexGeom>(r));
    EXPECT_EQ(nullptr, render::GetVertexCache<render::SVertexRT>(r));
    EXPECT_NE(nullptr, r.GetIndexCache16());
    EXPECT_NE(nullptr, r.GetIndexCache32());

    test::RecordingRender small;
    small.Caps().create32BitIndexCache = 0;
    ASSERT_EQ(GE_OK, small.InitRender(nullptr, param));
    EXPECT_EQ(nullptr, small.GetIndexCache32());
    EXPECT_EQ(3u, small.GetBuffers().size());
    small.ReleaseResources();
    EXPECT_TRUE(small.GetBuffers().empty()); // buffers leave the registry as they go

    test::RecordingRender failing;
    failing.failCreateBuffers = true;
    EXPECT_EQ(GE_FAIL, failing.InitRender(nullptr, param));
}

// Quads lease six 16-bit indices each: a frame of 50,000 of them takes a handful of
// index buffers.
TEST_F(RenderFront, QuadIndicesOfALargeFrameFitAHandfulOfBuffers)
{
    render::BufferDoubleCache<render::IndexBuffer<u16>>* cache = r.GetIndexCache16();
    ASSERT_NE(nullptr, cache);
    ASSERT_EQ(GE_OK, r.BeginScene());
    u16* write = nullptr;
    render::BufferLease<render::IndexBuffer<u16>> lease;
    for (int quad = 0; quad < 50000; ++quad)
        ASSERT_EQ(GE_OK, cache->Lease(6, &write, &lease));
    EXPECT_EQ(5u, cache->GetExtraCount());
    EXPECT_EQ((std::vector<u32>{10240, 61440, 61440, 61440, 61440, 61440, 61440}), r.createdIndexCounts);
    ASSERT_EQ(GE_OK, r.EndScene());
}

TEST_F(RenderFront, SceneBeginsEveryCacheAndRefusesASecondBegin)
{
    ASSERT_EQ(GE_OK, r.BeginScene());
    EXPECT_TRUE(render::GetVertexCache<render::SVertex2D>(r)->IsInFrame());
    EXPECT_TRUE(r.GetIndexCache32()->IsInFrame());
    EXPECT_EQ(GE_FAIL, r.BeginScene());
    ASSERT_EQ(GE_OK, r.EndScene());
    EXPECT_FALSE(render::GetVertexCache<render::SVertexGeom>(r)->IsInFrame());
    EXPECT_EQ(GE_FAIL, r.EndScene()); // no frame to end
}

TEST_F(RenderFront, OrthographicProjectionMapsTheDesignScreenToClipSpace)
{
    const math::Matrix4& p = r.GetProjection();
    auto expectMaps = [&p](float x, float y, float clipX, float clipY) {
        EXPECT_FLOAT_EQ(clipX, x * p.m[0][0] + y * p.m[1][0] + p.m[3][0]);
        EXPECT_FLOAT_EQ(clipY, x * p.m[0][1] + y * p.m[1][1] + p.m[3][1]);
    };
    expectMaps(0.0f, 0.0f, -1.0f, 1.0f);
    expectMaps(800.0f, 600.0f, 1.0f, -1.0f);
    expectMaps(400.0f, 150.0f, 0.0f, 0.5f);

    param.useDefaultProjection = 0;
    param.projection.m[2][3] = 7.0f;
    ASSERT_EQ(GE_OK, r.InitRender(nullptr, param));
    EXPECT_EQ(param.projection, r.GetProjection());
}

TEST_F(RenderFront, DeviceObjectsRegisterForTheirLifetimeInOrder)
{
    const size_t before = r.GetTextures().size();
    auto a = std::make_unique<test::NullTexture>(&r);
    auto b = std::make_unique<test::NullTexture>(&r);
    auto c = std::make_unique<test::NullTexture>(&r);
    b.reset();
    ASSERT_EQ(before + 2, r.GetTextures().size());
    EXPECT_EQ(a.get(), r.GetTextures()[before]);
    EXPECT_EQ(c.get(), r.GetTextures()[before + 1]);
    EXPECT_EQ(2u, r.GetShaders().size());
}

} // namespace
