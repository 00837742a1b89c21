// Parsing and running an edit-descriptor layout. The layout is parsed once into a flat list
// of nodes (groups become an open/close pair that point at each other), so writing a record
// is a walk over that list with a small fixed stack of repeat counters.
#include <cctype>
#include <stdexcept>
#include <utility>

#include "fields.h"
#include "recordio/recordio.h"

namespace recordio {

struct Layout::Node {
  enum Kind : unsigned char { kA, kI, kF, kE, kG, kX, kSlash, kScale, kText, kOpen, kClose, kEnd };
  Kind kind = kEnd;
  int w = -1;     // field width (-1: plain a); blanks of x; scale factor of p
  int d = 0;      // decimals of f, e, g
  int count = 1;  // repeat count of a data descriptor, slash or group
  int jump = 0;   // open: index of its close; close: index of its open
  std::string text;  // quoted text
};

namespace {

// Deepest nesting of groups a layout may use.
constexpr int kMaxDepth = 16;
// Largest width, decimal count or repeat count accepted in a layout.
constexpr int kMaxNumber = 100000;

using Node = Layout::Node;

bool isData(Node::Kind k) { return k <= Node::kG; }

class Parser {
 public:
  Parser(std::string_view format, std::vector<Node>& nodes) : nodes_(nodes) {
    // Blanks are not significant outside quoted text.
    char quote = 0;
    for (char c : format) {
      if (quote) {
        if (c == quote) quote = 0;
        src_ += c;
      } else if (c == '\'' || c == '"') {
        quote = c;
        src_ += c;
      } else if (c != ' ' && c != '\t') {
        src_ += c;
      }
    }
    original_ = format;
  }

  // Returns the index of the last top-level group (the point of reversion), or 0.
  int parse() {
    if (!src_.empty() && src_[0] == '(') {
      ++pos_;
      list(true);
      if (pos_ != src_.size()) error("text after the closing parenthesis");
    } else {
      list(false);
    }
    Node end;
    end.kind = Node::kEnd;
    nodes_.push_back(end);
    return lastTopGroup_;
  }

 private:
  [[noreturn]] void error(const std::string& what) const {
    throw std::invalid_argument("layout \"" + std::string(original_) + "\": " + what);
  }

  bool atEnd() const { return pos_ >= src_.size(); }
  char peek() const { return atEnd() ? '\0' : src_[pos_]; }
  char lower() const { return static_cast<char>(std::tolower(static_cast<unsigned char>(peek()))); }
  bool digit() const { return std::isdigit(static_cast<unsigned char>(peek())) != 0; }

  int number() {
    if (!digit()) error("a number is missing at position " + std::to_string(pos_ + 1));
    long v = 0;
    while (digit()) {
      v = v * 10 + (src_[pos_++] - '0');
      if (v > kMaxNumber) error("number too large");
    }
    return static_cast<int>(v);
  }

  void list(bool closed) {
    for (;;) {
      while (peek() == ',') ++pos_;
      if (atEnd()) {
        if (closed) error("a closing parenthesis is missing");
        return;
      }
      if (peek() == ')') {
        if (!closed) error("unmatched closing parenthesis");
        ++pos_;
        return;
      }
      item();
    }
  }

  void push(Node::Kind kind, int w, int d, int count) {
    Node n;
    n.kind = kind;
    n.w = w;
    n.d = d;
    n.count = count;
    nodes_.push_back(std::move(n));
  }

  void item() {
    int sign = 1;
    bool signed_ = false;
    if (peek() == '+' || peek() == '-') {
      sign = peek() == '-' ? -1 : 1;
      signed_ = true;
      ++pos_;
    }
    const bool hasCount = digit();
    const int count = hasCount ? number() : 1;
    if (signed_ && !hasCount) error("a sign without a number");
    const char c = lower();
    if (signed_ && c != 'p') error("a sign stands only before p");
    if (hasCount && count == 0 && c != 'p') error("a repeat count of 0");
    if (atEnd()) error("a descriptor is missing after " + std::to_string(count));
    ++pos_;
    switch (c) {
      case '(': {
        if (depth_ + 1 > kMaxDepth) error("groups nested too deep");
        const int open = static_cast<int>(nodes_.size());
        push(Node::kOpen, -1, 0, count);
        ++depth_;
        list(true);
        --depth_;
        const int close = static_cast<int>(nodes_.size());
        push(Node::kClose, -1, 0, 1);
        nodes_[open].jump = close;
        nodes_[close].jump = open;
        if (depth_ == 0) lastTopGroup_ = open;
        return;
      }
      case 'a':
        push(Node::kA, digit() ? number() : -1, 0, count);
        return;
      case 'i':
        push(Node::kI, number(), 0, count);
        return;
      case 'f':
      case 'e':
      case 'g': {
        const int w = number();
        if (peek() != '.') error(std::string("a decimal count is missing after ") + c);
        ++pos_;
        const int d = number();
        if (c == 'g' && d == 0) error("g needs at least one digit");
        push(c == 'f' ? Node::kF : c == 'e' ? Node::kE : Node::kG, w, d, count);
        return;
      }
      case 'x':
        push(Node::kX, count, 0, 1);
        return;
      case 'p':
        if (!hasCount) error("p needs a scale factor");
        push(Node::kScale, sign * count, 0, 1);
        return;
      case '/':
        push(Node::kSlash, -1, 0, count);
        return;
      case '\'':
      case '"': {
        std::string text;
        for (;;) {
          if (atEnd()) error("unterminated quoted text");
          const char q = src_[pos_++];
          if (q == c) {
            if (peek() != c) break;
            ++pos_;  // a doubled quote stands for itself
          }
          text += q;
        }
        if (hasCount) error("a repeat count before quoted text");
        push(Node::kText, -1, 0, 1);
        nodes_.back().text = std::move(text);
        return;
      }
      default:
        error(std::string("unknown descriptor '") + src_[pos_ - 1] + "'");
    }
  }

  std::vector<Node>& nodes_;
  std::string src_;
  std::string_view original_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  int lastTopGroup_ = 0;
};

double realOf(const Item& item, bool& ok) {
  ok = true;
  if (auto p = std::get_if<double>(&item)) return *p;
  if (auto p = std::get_if<float>(&item)) return static_cast<double>(*p);
  if (auto p = std::get_if<long long>(&item)) return static_cast<double>(*p);
  ok = false;
  return 0;
}

void putItem(std::string& out, const Node& n, const Item& item, int scale, const Notation& notation) {
  switch (n.kind) {
    case Node::kA:
      if (auto t = std::get_if<std::string_view>(&item))
        detail::appendA(out, *t, n.w);
      else
        detail::appendStars(out, n.w < 0 ? 1 : n.w);
      return;
    case Node::kI:
      if (auto v = std::get_if<long long>(&item))
        detail::appendI(out, *v, n.w);
      else
        detail::appendStars(out, n.w);
      return;
    default: {
      bool ok = false;
      const double v = realOf(item, ok);
      if (!ok)
        detail::appendStars(out, n.w);
      else if (n.kind == Node::kF)
        detail::appendF(out, v, n.w, n.d);
      else if (n.kind == Node::kE)
        detail::appendE(out, v, n.w, n.d, scale);
      else
        detail::appendG(out, v, n.w, n.d, notation.gZeroFixed);
      return;
    }
  }
}

}  // namespace

Layout::Layout(std::string_view format, Notation notation) : notation_(notation) {
  Parser parser(format, nodes_);
  reversion_ = parser.parse();
  for (std::size_t i = static_cast<std::size_t>(reversion_); i < nodes_.size(); ++i)
    if (isData(nodes_[i].kind)) reversionHasData_ = true;
}

Layout::~Layout() = default;
Layout::Layout(const Layout&) = default;
Layout::Layout(Layout&&) noexcept = default;
Layout& Layout::operator=(const Layout&) = default;
Layout& Layout::operator=(Layout&&) noexcept = default;

std::string Layout::write(std::span<const Item> items) const {
  std::string out;
  out.reserve(128);
  writeTo(out, items);
  return out;
}

void Layout::writeTo(std::string& out, std::span<const Item> items) const {
  struct Frame {
    int open;  // index of the group's open node
    int left;  // passes still to run, this one included
  };
  Frame stack[kMaxDepth + 1];
  int sp = 0;
  std::size_t next = 0;
  int scale = 0;
  int pending = 0;  // blanks of x not yet written
  int pc = 0;
  const Node* nodes = nodes_.data();
  for (;;) {
    const Node& n = nodes[pc];
    switch (n.kind) {
      case Node::kA:
      case Node::kI:
      case Node::kF:
      case Node::kE:
      case Node::kG:
        for (int r = 0; r < n.count; ++r) {
          if (next >= items.size()) {
            out += '\n';
            return;
          }
          detail::appendBlanks(out, pending);
          pending = 0;
          putItem(out, n, items[next++], scale, notation_);
        }
        ++pc;
        break;
      case Node::kX:
        if (pending < kMaxNumber) pending += n.w;  // bounded: only a gap of blanks is pending
        ++pc;
        break;
      case Node::kSlash:
        out.append(static_cast<std::size_t>(n.count), '\n');
        pending = 0;
        ++pc;
        break;
      case Node::kScale:
        scale = n.w;
        ++pc;
        break;
      case Node::kText:
        detail::appendBlanks(out, pending);
        pending = 0;
        out += n.text;
        ++pc;
        break;
      case Node::kOpen:
        stack[sp++] = Frame{pc, n.count};
        ++pc;
        break;
      case Node::kClose:
        if (--stack[sp - 1].left > 0) {
          pc = stack[sp - 1].open + 1;
        } else {
          --sp;
          ++pc;
        }
        break;
      case Node::kEnd:
        out += '\n';
        pending = 0;
        if (next >= items.size() || !reversionHasData_) return;
        // The list outlives the layout: a new record from the last top-level group. The
        // scale factor stays in force.
        sp = 0;
        pc = reversion_;
        break;
    }
  }
}

std::string write(std::string_view format, std::initializer_list<Item> items, const Notation& notation) {
  return Layout(format, notation).write(items);
}

}  // namespace recordio
