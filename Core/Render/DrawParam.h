#pragma once
// Draw requests: a drawing operation of render::Graphics returns one, and it draws
// when it is destroyed while still pending, at the end of the full expression that
// made it. Converting a pending request into a translated or transformed one moves
// the body and the pending duty along, so
//
//     g.DrawImage(&image).Translate(10, 20);
//
// draws once, translated. A body P provides GEResultEnum Draw(DrawParam& request),
// which calls back the request's ApplyTransform on its vertices.
#include "Core/Base/Types.h"
#include "Core/Render/Math/Transform2D.h"
#include <utility>

namespace render {

class VertexFormat;

class DrawParam {
public:
    DrawParam() = default;
    DrawParam(const DrawParam&) = delete;
    DrawParam& operator=(const DrawParam&) = delete;
    virtual GEResultEnum ApplyTransform(void* vertices, const VertexFormat& format, u32 count) = 0;
    virtual ~DrawParam() = default;

    bool IsPending() const { return pending != 0; }
    // The offset of a request that only moves its vertices (0, 0 for one that leaves them
    // alone); false for any other transform. A body may then place its corners at once.
    // Not virtual: every sprite asks.
    bool GetTranslation(float* x, float* y) const
    {
        if (!translates)
            return false;
        *x = moveX;
        *y = moveY;
        return true;
    }

protected:
    // Takes over the pending duty of `source`.
    void TakePending(DrawParam& source)
    {
        pending = source.pending;
        source.pending = 0;
    }
    // Marks the request as one that only moves its vertices by (x, y).
    void SetTranslation(float x, float y)
    {
        translates = 1;
        moveX = x;
        moveY = y;
    }

    u8 pending = 0;
    u8 translates = 0;
    float moveX = 0.0f;
    float moveY = 0.0f;
};

struct TagUntransformed {};
struct TagTranslate2D {};
struct TagTransform2D {};

// The part of a request through which callers reach its body.
template <class Tag, class P> class DrawParamInterface {
public:
    P* operator->() const { return body; }
    P& Body() const { return *body; }

protected:
    P* body = nullptr;
};

template <class P> class DrawTranslate2DParam;
template <class P> class DrawTransform2DParam;

// Adds (x, y) to the position of `count` vertices; positions of 3 or 4 components.
GEResultEnum TranslateVertices(void* vertices, const VertexFormat& format, u32 count, float x, float y);

template <class P>
class DrawUntransformedParam : public DrawParam, public DrawParamInterface<TagUntransformed, P> {
public:
    // `pending` false makes a request that draws nothing (a failed set-up).
    explicit DrawUntransformedParam(const P& source, bool isPending = true) : params(source)
    {
        this->body = &params;
        pending = isPending ? 1 : 0;
        translates = 1;
    }
    DrawUntransformedParam(DrawUntransformedParam&& source) : params(std::move(source.params))
    {
        this->body = &params;
        TakePending(source);
        translates = 1;
    }
    ~DrawUntransformedParam() override { Flush(); }

    GEResultEnum ApplyTransform(void*, const VertexFormat&, u32) override { return GE_OK; }

    DrawTranslate2DParam<P> Translate(float x, float y)
    {
        return DrawTranslate2DParam<P>(std::move(*this), x, y);
    }
    DrawTransform2DParam<P> Scale(float s)
    {
        math::Transform2D t;
        t.Scale(s, s);
        return DrawTransform2DParam<P>(std::move(*this), t);
    }
    DrawTransform2DParam<P> ScaleXY(const float* s)
    {
        math::Transform2D t;
        t.Scale(s[0], s[1]);
        return DrawTransform2DParam<P>(std::move(*this), t);
    }
    DrawUntransformedParam& SetAlign(u32 h, u32 v)
    {
        params.hAlign = h;
        params.vAlign = v;
        return *this;
    }

    P params;

private:
    template <class> friend class DrawTranslate2DParam;
    template <class> friend class DrawTransform2DParam;

    void Flush()
    {
        if (!pending)
            return;
        pending = 0;
        params.Draw(*this);
    }
};

template <class P>
class DrawTranslate2DParam : public DrawParam, public DrawParamInterface<TagTranslate2D, P> {
public:
    DrawTranslate2DParam(DrawUntransformedParam<P>&& source, float x, float y)
        : params(std::move(source.params))
    {
        this->body = &params;
        TakePending(source);
        SetTranslation(x, y);
    }
    DrawTranslate2DParam(DrawTranslate2DParam&& source) : params(std::move(source.params))
    {
        this->body = &params;
        TakePending(source);
        SetTranslation(source.moveX, source.moveY);
    }
    ~DrawTranslate2DParam() override
    {
        if (!pending)
            return;
        pending = 0;
        params.Draw(*this);
    }

    GEResultEnum ApplyTransform(void* vertices, const VertexFormat& format, u32 count) override
    {
        return TranslateVertices(vertices, format, count, moveX, moveY);
    }

    // The translation first, then the scale.
    DrawTransform2DParam<P> Scale(float s)
    {
        math::Transform2D t;
        t.Translate(moveX, moveY);
        t.Scale(s, s);
        return DrawTransform2DParam<P>(std::move(*this), t);
    }

    P params;

private:
    template <class> friend class DrawTransform2DParam;
};

template <class P>
class DrawTransform2DParam : public DrawParam, public DrawParamInterface<TagTransform2D, P> {
public:
    DrawTransform2DParam(DrawUntransformedParam<P>&& source, const math::Transform2D& t)
        : params(std::move(source.params)), transform(t)
    {
        this->body = &params;
        TakePending(source);
    }
    DrawTransform2DParam(DrawTranslate2DParam<P>&& source, const math::Transform2D& t)
        : params(std::move(source.params)), transform(t)
    {
        this->body = &params;
        TakePending(source);
    }
    DrawTransform2DParam(DrawTransform2DParam&& source)
        : params(std::move(source.params)), transform(source.transform)
    {
        this->body = &params;
        TakePending(source);
    }
    ~DrawTransform2DParam() override
    {
        if (!pending)
            return;
        pending = 0;
        params.Draw(*this);
    }

    GEResultEnum ApplyTransform(void* vertices, const VertexFormat& format, u32 count) override
    {
        return transform.TransformVertices(vertices, format, count);
    }

    P params;
    math::Transform2D transform;
};

} // namespace render
