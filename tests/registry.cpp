#include "registry.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <map>
#include <sstream>
#include <stdexcept>

#include "toolbox_registry.h"

namespace registry {

namespace {

std::string trim(const std::string& s)
{
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    return s.substr(a, b - a);
}

std::vector<std::string> words(const std::string& s)
{
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Every whole-word occurrence of `name` in `text` replaced by `value`.
std::string replaceWord(const std::string& text, const std::string& name, const std::string& value)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const bool starts = text.compare(i, name.size(), name) == 0 &&
                            (i == 0 || !isNameChar(text[i - 1])) &&
                            (i + name.size() >= text.size() || !isNameChar(text[i + name.size()]));
        if (starts) {
            out += value;
            i += name.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

bool namesWord(const std::string& text, const std::string& name)
{
    return replaceWord(text, name, "") != text;
}

// A reader of one input, by recursive descent.
class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}

    Value input()
    {
        Value v = value();
        skip();
        if (i_ != s_.size())
            fail("text after the input");
        return v;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::invalid_argument("cannot read \"" + s_ + "\" at " + std::to_string(i_) + ": " +
                                    what);
    }
    void skip()
    {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_])))
            ++i_;
    }
    bool take(char c)
    {
        skip();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    void expect(char c)
    {
        if (!take(c))
            fail(std::string("expected '") + c + "'");
    }
    std::string name()
    {
        skip();
        const size_t a = i_;
        while (i_ < s_.size() && isNameChar(s_[i_]))
            ++i_;
        return s_.substr(a, i_ - a);
    }

    double number()
    {
        skip();
        double sign = 1;
        if (i_ < s_.size() && (s_[i_] == '-' || s_[i_] == '+')) {
            sign = s_[i_] == '-' ? -1 : 1;
            ++i_;
        }
        if (s_.compare(i_, 3, "NaN") == 0) {
            i_ += 3;
            return std::numeric_limits<double>::quiet_NaN();
        }
        if (s_.compare(i_, 3, "Inf") == 0) {
            i_ += 3;
            return sign * std::numeric_limits<double>::infinity();
        }
        const char* start = s_.c_str() + i_;
        char* end = nullptr;
        const double x = std::strtod(start, &end);
        if (end == start)
            fail("expected a number");
        i_ += static_cast<size_t>(end - start);
        return sign * x;
    }

    // [a b; c d], rows of numbers separated by blanks or commas.
    Value matrix()
    {
        std::vector<std::vector<double>> rows(1);
        for (;;) {
            skip();
            if (take(']'))
                break;
            if (take(';')) {
                rows.emplace_back();
                continue;
            }
            take(',');
            rows.back().push_back(number());
        }
        if (rows.size() == 1 && rows[0].empty())
            return Value{};
        Value v;
        v.dims = {rows.size(), rows[0].size()};
        for (const auto& r : rows)
            if (r.size() != rows[0].size())
                fail("rows of different lengths");
        for (size_t c = 0; c < rows[0].size(); ++c)
            for (const auto& r : rows)
                v.values.push_back(r[c]);
        return v;
    }

    Value value()
    {
        skip();
        if (i_ >= s_.size())
            fail("no input");
        const char c = s_[i_];
        if (c == '[') {
            ++i_;
            return matrix();
        }
        if (c == '\'') {
            Value v;
            v.kind = Kind::Char;
            const size_t end = s_.find('\'', ++i_);
            if (end == std::string::npos)
                fail("unterminated text");
            for (; i_ < end; ++i_)
                v.values.push_back(static_cast<unsigned char>(s_[i_]));
            ++i_;
            v.dims = {1, v.values.size()};
            return v;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) && s_.compare(i_, 3, "NaN") != 0 &&
            s_.compare(i_, 3, "Inf") != 0) {
            const std::string f = name();
            expect('(');
            if (f == "zeros" || f == "ones") {
                Value v;
                v.dims.clear();
                do {
                    const double d = number();
                    if (!(d >= 0) || d != std::floor(d))
                        fail("a dimension must be a whole number");
                    v.dims.push_back(static_cast<uint64_t>(d));
                } while (take(','));
                expect(')');
                if (v.dims.size() < 2)
                    fail("two dimensions or more");
                uint64_t n = 1;
                for (uint64_t d : v.dims)
                    n = d == 0 || n == 0 ? 0 : n * d;
                if (n > (uint64_t(1) << 24))
                    fail("too many elements for a literal");
                v.values.assign(n, f == "ones" ? 1.0 : 0.0);
                return v;
            }
            Value v = value();
            expect(')');
            if (v.kind != Kind::Double)
                fail(f + " of something that is not a double array");
            if (f == "single")
                v.kind = Kind::Single;
            else if (f == "int32")
                v.kind = Kind::Int32;
            else if (f == "uint32")
                v.kind = Kind::UInt32;
            else if (f == "logical")
                v.kind = Kind::Logical;
            else if (f == "sparse")
                v.kind = Kind::Sparse;
            else if (f == "complex")
                v.kind = Kind::Complex;
            else
                fail("no function " + f);
            return v;
        }
        Value v;
        v.dims = {1, 1};
        v.values = {number()};
        return v;
    }

    std::string s_;
    size_t i_ = 0;
};

std::vector<Plugin> readPlugins()
{
    std::vector<Plugin> out;
    for (const registry_data::Entry& e : registry_data::kEntries) {
        Plugin p;
        p.name = e.name;
        p.category = e.category;
        p.family = e.family;
        p.blas = e.blas;
        p.usage = e.usage;
        for (const std::string& w : words(e.inputs)) {
            if (w == "...")
                p.extra = true;
            else
                p.inputs.push_back(w);
        }
        p.uint32 = words(e.uint32);
        p.output = trim(e.output);
        p.diagnostics = trim(e.prints) == "diagnostics";
        p.example = e.example;
        p.result = e.result;
        out.push_back(p);
    }
    return out;
}

std::vector<ErrorCase> readErrors()
{
    std::vector<ErrorCase> out;
    std::vector<std::pair<std::string, std::string>> lets;
    std::vector<std::pair<std::string, std::vector<std::string>>> each;
    std::istringstream in(registry_data::kErrorTable);
    int lineNo = 0;
    auto substitute = [&](std::string text) {
        for (const auto& [name, value] : lets)
            text = replaceWord(text, name, value);
        return text;
    };
    auto split = [](const std::string& text, char sep) {
        std::vector<std::string> parts;
        std::string part;
        std::istringstream s(text);
        while (std::getline(s, part, sep))
            parts.push_back(trim(part));
        if (!text.empty() && text.back() == sep)
            parts.push_back("");
        return parts;
    };
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        line = trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        // "let NAME = INPUT" or "each NAME = A | B | ..."
        const std::vector<std::string> w = words(line);
        const size_t equals = line.find('=');
        if (w.size() >= 3 && (w[0] == "let" || w[0] == "each") && w[2][0] == '=' &&
            equals != std::string::npos) {
            const std::string name = w[1], value = substitute(trim(line.substr(equals + 1)));
            if (w[0] == "let") {
                lets.emplace_back(name, value);
            } else {
                for (auto it = each.begin(); it != each.end();)
                    it = it->first == name ? each.erase(it) : it + 1;
                each.emplace_back(name, split(value, '|'));
            }
            continue;
        }
        const std::vector<std::string> f = split(line, '|');
        if (f.size() != 5)
            throw std::invalid_argument("plugins.errors:" + std::to_string(lineNo) +
                                        ": not 5 fields");
        std::vector<std::string> calls{substitute(f[2])};
        for (const auto& [name, values] : each) {
            std::vector<std::string> expanded;
            for (const std::string& c : calls) {
                if (!namesWord(c, name)) {
                    expanded.push_back(c);
                    continue;
                }
                for (const std::string& v : values)
                    expanded.push_back(replaceWord(c, name, v));
            }
            calls = expanded;
        }
        bool known = false;
        for (const Plugin& p : plugins()) {
            if (p.family != f[0])
                continue;
            known = true;
            std::string message = f[4];
            auto put = [&](const std::string& key, const std::string& value) {
                for (size_t at; (at = message.find(key)) != std::string::npos;)
                    message.replace(at, key.size(), value);
            };
            put("{name}", p.name);
            put("{usage}", p.usage);
            for (size_t k = 0; k < p.inputs.size(); ++k)
                put("{input" + std::to_string(k + 1) + "}", p.inputs[k]);
            for (const std::string& c : calls) {
                ErrorCase e;
                e.plugin = p.name;
                e.nargout = std::stoi(f[1]);
                e.inputs = splitInputs(c);
                e.id = p.name + ":" + f[3];
                e.message = message;
                e.row = lineNo;
                out.push_back(e);
            }
        }
        if (!known)
            throw std::invalid_argument("plugins.errors:" + std::to_string(lineNo) +
                                        ": no family " + f[0]);
    }
    return out;
}

// One dimension of an output field: an integer, or rows/cols/count of an input.
bool dimension(const Plugin& p, const std::string& text, const InputFacts& in, uint64_t& out)
{
    const std::string t = trim(text);
    const size_t open = t.find('(');
    if (open != std::string::npos && t.back() == ')') {
        const std::string of = t.substr(0, open), name = t.substr(open + 1, t.size() - open - 2);
        size_t k = 0;
        while (k < p.inputs.size() && p.inputs[k] != name)
            ++k;
        if (k == p.inputs.size() ||
            (of != "rows" && of != "cols" && of != "numel" && of != "pairs" && of != "count"))
            throw std::invalid_argument(p.name + ": cannot read the output \"" + p.output + "\"");
        if (of == "rows") {
            out = in.rows(k);
        } else if (of == "cols") {
            out = in.cols(k);
        } else if (of == "numel") {
            out = in.rows(k) * in.cols(k);
        } else if (of == "pairs") {
            const uint64_t r = in.rows(k);
            out = r % 2 == 0 ? r / 2 * (r + 1) : (r + 1) / 2 * r;
        } else {
            const double x = in.first(k);
            out = !(x >= 1) ? 0
                  : x >= 18446744073709551616.0 ? std::numeric_limits<uint64_t>::max()
                                                : static_cast<uint64_t>(x);
        }
        return true;
    }
    for (char c : t)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            throw std::invalid_argument(p.name + ": cannot read the output \"" + p.output + "\"");
    out = std::stoull(t);
    return true;
}

}  // namespace

uint64_t Value::cols() const
{
    uint64_t n = 1;
    for (size_t k = 1; k < dims.size(); ++k)
        n *= dims[k];
    return n;
}

bool Plugin::takesUint32(size_t k) const
{
    return k < inputs.size() &&
           std::find(uint32.begin(), uint32.end(), inputs[k]) != uint32.end();
}

const std::vector<Plugin>& plugins()
{
    static const std::vector<Plugin> list = readPlugins();
    return list;
}

const Plugin* find(const std::string& name)
{
    for (const Plugin& p : plugins())
        if (p.name == name)
            return &p;
    return nullptr;
}

Value parseValue(const std::string& text) { return Reader(text).input(); }

std::vector<std::string> splitInputs(const std::string& text)
{
    std::vector<std::string> out;
    int depth = 0;
    bool quoted = false;
    size_t start = 0;
    for (size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (c == '\'')
            quoted = !quoted;
        else if (!quoted && (c == '(' || c == '[' || c == '{'))
            ++depth;
        else if (!quoted && (c == ')' || c == ']' || c == '}'))
            --depth;
        else if (!quoted && depth == 0 && c == ',') {
            out.push_back(trim(text.substr(start, k - start)));
            start = k + 1;
        }
    }
    if (!trim(text).empty())
        out.push_back(trim(text.substr(start)));
    return out;
}

CallText parseCall(const std::string& text)
{
    const size_t open = text.find('('), close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        throw std::invalid_argument("not a call: " + text);
    return CallText{trim(text.substr(0, open)), splitInputs(text.substr(open + 1, close - open - 1))};
}

const std::vector<ErrorCase>& errorCases()
{
    static const std::vector<ErrorCase> cases = readErrors();
    return cases;
}

bool outputShape(const Plugin& p, const InputFacts& in, uint64_t& rows, uint64_t& cols)
{
    if (!p.hasOutput())
        return false;
    const size_t x = p.output.find(" x ");
    if (x == std::string::npos)
        throw std::invalid_argument(p.name + ": cannot read the output \"" + p.output + "\"");
    return dimension(p, p.output.substr(0, x), in, rows) &&
           dimension(p, p.output.substr(x + 3), in, cols);
}

}  // namespace registry
