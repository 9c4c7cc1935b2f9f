// A Model as bytes, for the way back from the reading process. Decoding
// trusts nothing: the bytes come from a process that ran a parser on a
// file of unknown origin.
#include <cstring>
#include <type_traits>

#include "platform/d3drm/model.h"

namespace plat::rm {
namespace {

constexpr std::uint32_t kEndMark = 0x4C444F4D;

class Writer {
public:
    explicit Writer(std::vector<unsigned char>& out) : out_(out) {}
    void U32(std::uint32_t v) { Raw(&v, sizeof v); }
    void String(const std::string& s) {
        U32(static_cast<std::uint32_t>(s.size()));
        Raw(s.data(), s.size());
    }
    template <class T>
    void Array(const std::vector<T>& v) {
        static_assert(std::is_trivially_copyable_v<T>);
        U32(static_cast<std::uint32_t>(v.size()));
        Raw(v.data(), v.size() * sizeof(T));
    }
    void Raw(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        out_.insert(out_.end(), bytes, bytes + size);
    }

private:
    std::vector<unsigned char>& out_;
};

class Reader {
public:
    Reader(const unsigned char* data, std::size_t size) : at_(data), end_(data + size) {}
    bool U32(std::uint32_t& v) { return Raw(&v, sizeof v); }
    bool String(std::string& s) {
        std::uint32_t size = 0;
        if (!U32(size) || size > Left()) return false;
        s.assign(reinterpret_cast<const char*>(at_), size);
        at_ += size;
        return true;
    }
    template <class T>
    bool Array(std::vector<T>& v) {
        std::uint32_t count = 0;
        // The count is checked against what is left before anything is allocated.
        if (!U32(count) || count > Left() / sizeof(T)) return false;
        v.resize(count);
        return Raw(v.data(), count * sizeof(T));
    }
    bool Raw(void* out, std::size_t size) {
        if (size > Left()) return false;
        if (size > 0) std::memcpy(out, at_, size);
        at_ += size;
        return true;
    }
    bool AtEnd() const { return at_ == end_; }

private:
    std::size_t Left() const { return static_cast<std::size_t>(end_ - at_); }
    const unsigned char* at_;
    const unsigned char* end_;
};

bool PartIsWhole(const ModelPart& part) {
    const std::size_t count = part.positions.size();
    if (!part.normals.empty() && part.normals.size() != count) return false;
    if (!part.uvs.empty() && part.uvs.size() != 2 * count) return false;
    if (!part.colors.empty() && part.colors.size() != 4 * count) return false;
    std::size_t corners = 0;
    for (std::uint32_t size : part.faceSizes) corners += size;
    if (corners != part.indices.size()) return false;
    for (std::uint32_t index : part.indices) {
        if (index >= count) return false;
    }
    return true;
}

}  // namespace

void EncodeModel(const Model& model, std::vector<unsigned char>& out) {
    Writer w(out);
    w.U32(static_cast<std::uint32_t>(model.parts.size()));
    for (const ModelPart& part : model.parts) {
        w.String(part.name);
        w.String(part.texture);
        w.Raw(part.color, sizeof part.color);
        w.Array(part.positions);
        w.Array(part.normals);
        w.Array(part.uvs);
        w.Array(part.colors);
        w.Array(part.faceSizes);
        w.Array(part.indices);
    }
    w.U32(static_cast<std::uint32_t>(model.nodes.size()));
    for (const ModelNode& node : model.nodes) {
        w.String(node.name);
        w.Raw(&node.parent, sizeof node.parent);
        w.Raw(node.matrix, sizeof node.matrix);
        w.Array(node.parts);
    }
    w.U32(kEndMark);
}

bool DecodeModel(const unsigned char* data, std::size_t size, Model& out) {
    out = Model{};
    Reader r(data, size);
    std::uint32_t parts = 0, nodes = 0, end = 0;
    if (!r.U32(parts)) return false;
    for (std::uint32_t i = 0; i < parts; ++i) {
        ModelPart part;
        if (!r.String(part.name) || !r.String(part.texture) || !r.Raw(part.color, sizeof part.color) ||
            !r.Array(part.positions) || !r.Array(part.normals) || !r.Array(part.uvs) || !r.Array(part.colors) ||
            !r.Array(part.faceSizes) || !r.Array(part.indices) || !PartIsWhole(part)) {
            return false;
        }
        out.parts.push_back(std::move(part));
    }
    if (!r.U32(nodes) || nodes == 0) return false;
    std::vector<int> depth;
    for (std::uint32_t i = 0; i < nodes; ++i) {
        ModelNode node;
        if (!r.String(node.name) || !r.Raw(&node.parent, sizeof node.parent) ||
            !r.Raw(node.matrix, sizeof node.matrix) || !r.Array(node.parts)) {
            return false;
        }
        // Parents come first, so the tree can have no cycle.
        if (i == 0 ? node.parent != -1 : node.parent < 0 || static_cast<std::uint32_t>(node.parent) >= i) return false;
        depth.push_back(i == 0 ? 0 : depth[static_cast<std::size_t>(node.parent)] + 1);
        if (depth.back() > kMaxModelDepth) return false;
        for (std::uint32_t part : node.parts) {
            if (part >= out.parts.size()) return false;
        }
        out.nodes.push_back(std::move(node));
    }
    return r.U32(end) && end == kEndMark && r.AtEnd();
}

}  // namespace plat::rm
