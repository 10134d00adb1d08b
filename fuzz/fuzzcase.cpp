#include "fuzzcase.h"

#include "registry.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace fuzzcase {

namespace {

uint64_t bitsOf(double x)
{
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

double fromBits(uint64_t b)
{
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

constexpr double kTwo31 = 2147483648.0;
constexpr double kTwo63 = 9223372036854775808.0;

// Reads the fuzzer's bytes front to back; past the end every byte is 0.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint64_t little(int bytes)
    {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint64_t(byte()) << (8 * i);
        return v;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

double readValue(Reader& in)
{
    const uint8_t lead = in.byte();
    if (lead < 128)
        return double(int(lead) - 8);
    if (lead < 192)
        return double(int(lead) - 160) / 10.0;
    if (lead < 224)
        return kSpecial[lead - 192];
    if (lead < 240)
        return fromBits(in.little(8));
    return double(in.little(2));
}

void writeValue(std::vector<uint8_t>& out, double x)
{
    const uint64_t bits = bitsOf(x);
    for (int lead = 0; lead < 192; ++lead) {
        const double v = lead < 128 ? double(lead - 8) : double(lead - 160) / 10.0;
        if (bitsOf(v) == bits) {
            out.push_back(uint8_t(lead));
            return;
        }
    }
    for (size_t i = 0; i < kSpecial.size(); ++i)
        if (bitsOf(kSpecial[i]) == bits) {
            out.push_back(uint8_t(192 + i));
            return;
        }
    if (x >= 0 && x <= 65535 && x == std::floor(x) && !std::signbit(x)) {
        out.push_back(240);
        const unsigned v = unsigned(x);
        out.push_back(uint8_t(v & 0xff));
        out.push_back(uint8_t(v >> 8));
        return;
    }
    out.push_back(224);
    for (int i = 0; i < 8; ++i)
        out.push_back(uint8_t(bits >> (8 * i)));
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (bitsOf(a[i]) != bitsOf(b[i]))
            return false;
    return true;
}

}  // namespace

const std::array<double, 32> kSpecial = {
    std::numeric_limits<double>::quiet_NaN(),
    std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(),
    -0.0,
    1e300,
    -1e300,
    kTwo31,             // first value past int32
    -kTwo31,            // most negative int32
    kTwo31 - 1,
    -kTwo31 - 1,
    2 * kTwo31,         // 2^32
    2 * kTwo31 + 1,
    9007199254740992.0, // 2^53
    kTwo63,
    -kTwo63,
    2 * kTwo63,         // 2^64
    1e-300,
    std::numeric_limits<double>::denorm_min(),
    std::numeric_limits<double>::max(),
    -std::numeric_limits<double>::max(),
    0.01,
    0.02,
    5.005,
    5.02,
    46340,
    46341,
    1e10,
    kTwo31 + 0.5,
    fromBits(0x7ff8dead0000beefULL),  // NaN with a payload
    fromBits(0xfff8000000000000ULL),  // NaN with the sign bit
    1e6,
    -1e6,
};

uint64_t Input::rows() const
{
    const uint64_t r = kDims[rowsIndex % kDims.size()], c = kDims[colsIndex % kDims.size()];
    if (kind == Kind::SparseDouble && c > kMaxElements)
        return r;  // the columns go; see cols()
    if (r != 0 && c > kMaxElements / r && r >= c)
        return 0;
    return r;
}

uint64_t Input::cols() const
{
    const uint64_t r = kDims[rowsIndex % kDims.size()], c = kDims[colsIndex % kDims.size()];
    // A sparse array keeps one column start per column, whatever its rows.
    if (kind == Kind::SparseDouble && c > kMaxElements)
        return 0;
    if (c != 0 && r > kMaxElements / c && c > r)
        return 0;
    return c;
}

uint8_t dimIndex(uint64_t dim)
{
    for (size_t i = 0; i < kDims.size(); ++i)
        if (kDims[i] == dim)
            return uint8_t(i);
    throw std::invalid_argument("fuzzcase: dimension not in the table");
}

bool operator==(const Input& a, const Input& b)
{
    if (a.kind != b.kind)
        return false;
    if (a.kind == Kind::Alias)
        return a.aliasOf == b.aliasOf;
    return a.rowsIndex % kDims.size() == b.rowsIndex % kDims.size() &&
           a.colsIndex % kDims.size() == b.colsIndex % kDims.size() &&
           (a.kind != Kind::SparseDouble || a.slack % 4 == b.slack % 4) &&
           (a.kind != Kind::Part || a.offset % kPartOffsets == b.offset % kPartOffsets) &&
           sameBits(a.values, b.values);
}

Case decode(const uint8_t* data, size_t size)
{
    Reader in(data, size);
    Case c;
    c.plugin = in.byte() % kPlugins.size();
    c.nlhs = in.byte() % (kMaxNlhs + 1);
    const int nrhs = in.byte() % (kMaxNrhs + 1);
    for (int i = 0; i < nrhs; ++i) {
        Input a;
        a.kind = kindOfByte(in.byte());
        if (a.kind == Kind::Alias) {
            if (i == 0) {
                a.kind = Kind::Double;  // nothing to alias: an empty double
            } else {
                a.aliasOf = uint8_t(in.byte() % i);
            }
            c.inputs.push_back(a);
            continue;
        }
        a.rowsIndex = in.byte() % kDims.size();
        a.colsIndex = in.byte() % kDims.size();
        if (a.kind == Kind::SparseDouble)
            a.slack = in.byte() % 4;
        if (a.kind == Kind::Part)
            a.offset = in.byte() % kPartOffsets;
        const int count = in.byte();
        for (int k = 0; k < count; ++k)
            a.values.push_back(readValue(in));
        c.inputs.push_back(a);
    }
    return c;
}

std::vector<uint8_t> encode(const Case& c)
{
    std::vector<uint8_t> out;
    out.push_back(c.plugin);
    out.push_back(uint8_t(c.nlhs));
    out.push_back(uint8_t(c.inputs.size()));
    for (const Input& a : c.inputs) {
        out.push_back(a.kind == Kind::UInt32 ? kUInt32Byte : uint8_t(a.kind));
        if (a.kind == Kind::Alias) {
            out.push_back(a.aliasOf);
            continue;
        }
        out.push_back(a.rowsIndex);
        out.push_back(a.colsIndex);
        if (a.kind == Kind::SparseDouble)
            out.push_back(a.slack);
        if (a.kind == Kind::Part)
            out.push_back(a.offset);
        if (a.values.size() > 255)
            throw std::invalid_argument("fuzzcase: more than 255 values in one input");
        out.push_back(uint8_t(a.values.size()));
        for (double v : a.values)
            writeValue(out, v);
    }
    return out;
}

Case exampleCase(size_t plugin)
{
    const registry::Plugin& p = registry::plugins().at(plugin);
    Case c;
    c.plugin = uint8_t(plugin);
    c.nlhs = p.hasOutput() ? 1 : 0;
    for (const std::string& text : registry::parseCall(p.example).inputs) {
        const registry::Value v = registry::parseValue(text);
        if (v.dims.size() != 2)
            throw std::invalid_argument(p.name + "'s example has an input of more than two dimensions");
        static const std::pair<registry::Kind, Kind> kinds[] = {
            {registry::Kind::Double, Kind::Double},   {registry::Kind::Single, Kind::Single},
            {registry::Kind::Int32, Kind::Int32},     {registry::Kind::Logical, Kind::Logical},
            {registry::Kind::Char, Kind::Char},       {registry::Kind::Sparse, Kind::SparseDouble},
            {registry::Kind::Complex, Kind::ComplexDouble}, {registry::Kind::UInt32, Kind::UInt32}};
        Input in;
        for (const auto& [from, to] : kinds)
            if (from == v.kind)
                in.kind = to;
        in.rowsIndex = dimIndex(v.rows());
        in.colsIndex = dimIndex(v.cols());
        in.values = v.values;
        c.inputs.push_back(in);
    }
    return c;
}

}  // namespace fuzzcase
