// The database collation on ICU: one root collator at secondary strength, shared by every
// thread (only its const functions are called once it is set up), and a rank table for
// printable ASCII read from that collator, so that most keys compare without ICU.
#include "ado/core/collation.h"

#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>
#include <unicode/uversion.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ado/error.h"

namespace ado {
namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kLastPrintable = 0x7E;

int sign_of(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

int to_int(UCollationResult r) {
    return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

std::string_view without_trailing_blanks(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return s.substr(0, n);
}

class Collator {
  public:
    // Destroyed with the program, or with the module library when its host unloads it (a
    // collator left behind would leak on every unload). No destructor of another static
    // compares texts.
    static const Collator& get() {
        static const Collator instance;
        return instance;
    }
    ~Collator() {
        if (coll_) ucol_close(coll_);
    }

    Collator(const Collator&) = delete;
    Collator& operator=(const Collator&) = delete;

    bool ok() const { return coll_ != nullptr; }
    const std::string& version() const { return version_; }
    const std::string& failure() const { return failure_; }

    // 0 for a byte outside the shortcut, else the character's rank: equal ranks collate
    // equal, a lower rank sorts first.
    unsigned char rank(unsigned char c) const { return rank_[c]; }

    int compare_utf8(std::string_view a, std::string_view b) const {
        if (!coll_ || a.size() > INT32_MAX || b.size() > INT32_MAX) return sign_of(a.compare(b));
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult r = ucol_strcollUTF8(coll_, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                                    static_cast<int32_t>(b.size()), &status);
        return U_SUCCESS(status) ? to_int(r) : sign_of(a.compare(b));
    }

    std::string sort_key(std::string_view text) const {
        if (!coll_ || text.size() > INT32_MAX / 2) return std::string(text);
        // Malformed UTF-8 reads as U+FFFD, as in the comparison.
        std::u16string wide(text.size() + 1, u'\0');
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &length, text.data(),
                             static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
        if (U_FAILURE(status)) return std::string(text);
        std::string key(static_cast<std::size_t>(length) * 4 + 16, '\0');
        for (;;) {
            const int32_t needed =
                ucol_getSortKey(coll_, wide.data(), length, reinterpret_cast<uint8_t*>(key.data()),
                                static_cast<int32_t>(key.size()));
            if (needed <= 0) return std::string(text);
            if (static_cast<std::size_t>(needed) <= key.size()) {
                key.resize(static_cast<std::size_t>(needed));
                return key;
            }
            key.assign(static_cast<std::size_t>(needed), '\0');
        }
    }

    int compare_utf16(const UChar* a, int32_t na, const UChar* b, int32_t nb) const {
        if (!coll_)
            return sign_of(std::u16string_view(a, static_cast<std::size_t>(na))
                               .compare(std::u16string_view(b, static_cast<std::size_t>(nb))));
        return to_int(ucol_strcoll(coll_, a, na, b, nb));
    }

  private:
    Collator() {
        UErrorCode status = U_ZERO_ERROR;
        // The root order: the server's default collation is not bound to one language,
        // and Italian has no tailoring of its own (it would give the same order).
        UCollator* c = ucol_open("", &status);
        if (U_SUCCESS(status)) ucol_setStrength(c, UCOL_SECONDARY);
        if (U_SUCCESS(status)) ucol_setAttribute(c, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        // Composed and decomposed accents are the same text.
        if (U_SUCCESS(status)) ucol_setAttribute(c, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        if (U_FAILURE(status)) {
            failure_ = std::string("The text collation is not available (ICU: ") + u_errorName(status) + ").";
            if (c) ucol_close(c);
            return;
        }
        coll_ = c;
        UVersionInfo v;
        ucol_getVersion(c, v);
        char text[U_MAX_VERSION_STRING_LENGTH];
        u_versionToString(v, text);
        version_ = std::string("icu-") + text;
        build_ranks();
    }

    // Printable ASCII characters each of which is one collation element with a primary
    // weight and the common secondary, and which no contraction or expansion involves:
    // a string of them collates as the sequence of their primaries, so comparing ranks
    // gives ICU's answer.
    void build_ranks() {
        std::array<bool, 128> excluded = special_characters();
        const long common_secondary = secondary_of('a');
        std::vector<UChar> fast;
        for (unsigned c = kFirstPrintable; c <= kLastPrintable; ++c)
            if (!excluded[c] && single_element(static_cast<UChar>(c), common_secondary))
                fast.push_back(static_cast<UChar>(c));
        std::stable_sort(fast.begin(), fast.end(),
                         [this](UChar x, UChar y) { return compare_utf16(&x, 1, &y, 1) < 0; });
        unsigned char r = 0;
        for (std::size_t i = 0; i < fast.size(); ++i) {
            if (i == 0 || compare_utf16(&fast[i - 1], 1, &fast[i], 1) != 0) ++r;
            rank_[fast[i]] = r;
        }
    }

    // ASCII characters that expand, or take part in a contraction (or its prefix) made
    // only of ASCII.
    std::array<bool, 128> special_characters() const {
        std::array<bool, 128> out{};
        UErrorCode status = U_ZERO_ERROR;
        USet* contractions = uset_openEmpty();
        USet* expansions = uset_openEmpty();
        ucol_getContractionsAndExpansions(coll_, contractions, expansions, true, &status);
        if (U_FAILURE(status)) out.fill(true);
        for (unsigned c = 0; c < 128; ++c)
            if (uset_contains(expansions, static_cast<UChar32>(c))) out[c] = true;
        const int32_t items = uset_getItemCount(contractions);
        for (int32_t k = 0; k < items; ++k) {
            UChar32 start = 0;
            UChar32 end = 0;
            std::array<UChar, 64> str{};
            UErrorCode item_status = U_ZERO_ERROR;
            const int32_t len = uset_getItem(contractions, k, &start, &end, str.data(),
                                             static_cast<int32_t>(str.size()), &item_status);
            if (U_FAILURE(item_status)) {
                out.fill(true);
                continue;
            }
            if (len == 0) {
                for (UChar32 c = start; c <= end && c < 128; ++c) out[static_cast<std::size_t>(c)] = true;
                continue;
            }
            // Only a contraction made wholly of ASCII can form in a text of the shortcut
            // ("l" with a middle dot never does).
            const auto* begin = str.data();
            const auto* end_of_item = str.data() + len;
            if (std::all_of(begin, end_of_item, [](UChar u) { return u < 128; }))
                for (const UChar u : std::u16string_view(begin, static_cast<std::size_t>(len))) out[u] = true;
        }
        uset_close(contractions);
        uset_close(expansions);
        return out;
    }

    // The collation elements of one character: how many, and the first one.
    std::vector<int32_t> elements_of(UChar c) const {
        std::vector<int32_t> out;
        UErrorCode status = U_ZERO_ERROR;
        UCollationElements* it = ucol_openElements(coll_, &c, 1, &status);
        if (U_FAILURE(status)) return out;
        for (int32_t ce = ucol_next(it, &status); U_SUCCESS(status) && ce != UCOL_NULLORDER;
             ce = ucol_next(it, &status))
            out.push_back(ce);
        ucol_closeElements(it);
        return out;
    }

    long secondary_of(UChar c) const {
        const auto ces = elements_of(c);
        return ces.size() == 1 ? static_cast<long>(ucol_secondaryOrder(ces[0])) : -1;
    }

    bool single_element(UChar c, long common_secondary) const {
        const auto ces = elements_of(c);
        return ces.size() == 1 && ucol_primaryOrder(ces[0]) != 0 &&
               static_cast<long>(ucol_secondaryOrder(ces[0])) == common_secondary;
    }

    UCollator* coll_ = nullptr;
    std::string failure_;
    std::string version_;
    std::array<unsigned char, 256> rank_{};
};

bool all_in_shortcut(const Collator& coll, std::string_view s, std::size_t from) {
    for (std::size_t i = from; i < s.size(); ++i)
        if (coll.rank(static_cast<unsigned char>(s[i])) == 0) return false;
    return true;
}

// The shortcut's answer, or nullopt when a byte of either text is outside it. Equal ranks
// are passed over first; after the first difference the rest only has to be checked.
std::optional<int> compare_by_ranks(const Collator& coll, std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    unsigned char ra = 0;
    unsigned char rb = 0;
    for (; i < n; ++i) {
        ra = coll.rank(static_cast<unsigned char>(a[i]));
        rb = coll.rank(static_cast<unsigned char>(b[i]));
        if (ra != rb || ra == 0) break;
    }
    if (i < n) {
        if (ra == 0 || rb == 0 || !all_in_shortcut(coll, a, i + 1) || !all_in_shortcut(coll, b, i + 1))
            return std::nullopt;
        return ra < rb ? -1 : 1;
    }
    if (!all_in_shortcut(coll, a.size() > n ? a : b, n)) return std::nullopt;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// One code point as UTF-16.
int32_t to_utf16(char32_t c, UChar* out) {
    int32_t n = 0;
    UBool error = false;
    U16_APPEND(out, n, 2, static_cast<UChar32>(c), error);
    if (error) {
        out[0] = 0xFFFD;
        n = 1;
    }
    return n;
}

}  // namespace

int collate_compare(std::string_view a, std::string_view b) {
    const Collator& coll = Collator::get();
    a = without_trailing_blanks(a);
    b = without_trailing_blanks(b);
    if (const auto quick = compare_by_ranks(coll, a, b)) return *quick;
    return coll.compare_utf8(a, b);
}

std::string collation_key(std::string_view text) {
    return Collator::get().sort_key(without_trailing_blanks(text));
}

int collate_compare_icu(std::string_view a, std::string_view b) {
    return Collator::get().compare_utf8(without_trailing_blanks(a), without_trailing_blanks(b));
}

std::string collation_shortcut_characters() {
    const Collator& coll = Collator::get();
    std::string out;
    for (unsigned c = kFirstPrintable; c <= kLastPrintable; ++c)
        if (coll.rank(static_cast<unsigned char>(c)) != 0) out.push_back(static_cast<char>(c));
    return out;
}

std::string collation_version() {
    return Collator::get().version();
}

void require_collation() {
    const Collator& coll = Collator::get();
    if (!coll.ok()) throw Error(kErrProvider, coll.failure());
}

int collate_chars(char32_t a, char32_t b) {
    const Collator& coll = Collator::get();
    if (a < 128 && b < 128) {
        const unsigned char ra = coll.rank(static_cast<unsigned char>(a));
        const unsigned char rb = coll.rank(static_cast<unsigned char>(b));
        if (ra != 0 && rb != 0) return ra == rb ? 0 : (ra < rb ? -1 : 1);
    }
    UChar x[2];
    UChar y[2];
    const int32_t nx = to_utf16(a, x);
    const int32_t ny = to_utf16(b, y);
    return coll.compare_utf16(x, nx, y, ny);
}

char32_t next_char(std::string_view s, std::size_t& i) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
    const std::size_t length = s.size();
    UChar32 c = 0;
    U8_NEXT_OR_FFFD(bytes, i, length, c);
    return static_cast<char32_t>(c);
}

}  // namespace ado
