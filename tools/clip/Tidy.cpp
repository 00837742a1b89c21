#include "Tidy.h"

namespace mevlo {

namespace {

constexpr std::string_view kNumericAlphabet = ":/+-0123456789DEde. \t\r\n";
constexpr std::string_view kExponentContext = ".0123456789";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool In(std::string_view alphabet, char c) { return alphabet.find(c) != std::string_view::npos; }

}  // namespace

bool IsNumericLine(std::string_view piece) {
    for (char c : piece) {
        if (!In(kNumericAlphabet, c)) return false;
    }
    return true;
}

std::string TidyPiece(std::string_view piece) {
    std::string result;
    if (IsNumericLine(piece)) {
        result.reserve(piece.size() + 1);
        std::size_t i = 0;
        while (i < piece.size() && IsBlank(piece[i])) ++i;
        while (i < piece.size()) {
            const char c = piece[i];
            if (IsBlank(c)) {
                result += '\t';
                while (i < piece.size() && IsBlank(piece[i])) ++i;
                continue;
            }
            const bool exponent = (c == 'D' || c == 'd') && i > 0 && In(kExponentContext, piece[i - 1]);
            result += exponent ? 'E' : c;
            ++i;
        }
    } else {
        result.assign(piece);
    }
    const std::size_t feed = result.rfind('\n');
    if (feed != std::string::npos) result.replace(feed, 1, "\r\n");
    return result;
}

std::string TidyText(std::string_view content, const std::string& fileName) {
    std::string text = fileName + "\r\n";
    text.reserve(text.size() + content.size() + content.size() / 8);
    std::string piece;
    piece.reserve(kPieceLength);
    for (std::size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        // A carriage return before a line feed is part of the line end.
        if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') continue;
        piece += c;
        if (c == '\n' || piece.size() == kPieceLength) {
            text += TidyPiece(piece);
            piece.clear();
        }
    }
    if (!piece.empty()) text += TidyPiece(piece);
    return text;
}

}  // namespace mevlo
