//===- Parser.cpp - A small parser ----------------------------*- C++ -*-===//
//
// LLVM style: two spaces, access labels at the class's column, case labels
// at the switch's, namespaces not indented.
//
//===----------------------------------------------------------------------===//

#include "Parser.h"
#include <cassert>
#include <vector>

using namespace tiny;

namespace tiny {

/// A token of the input.
enum class TokenKind { Identifier, Number, Eof };

class Parser {
public:
  explicit Parser(std::vector<Token> Tokens) : Tokens(std::move(Tokens)) {}

  /// Parses one expression; null on a syntax error.
  std::unique_ptr<Expr> parseExpr();

private:
  const Token &peek() const { return Tokens[Pos]; }

  std::vector<Token> Tokens;
  unsigned Pos = 0;
};

} // end namespace tiny

std::unique_ptr<Expr> Parser::parseExpr() {
  const Token &Tok = peek();
  switch (Tok.Kind) {
  case TokenKind::Identifier:
    ++Pos;
    return std::make_unique<VarExpr>(Tok.Text);
  case TokenKind::Number: {
    ++Pos;
    int Value = std::stoi(Tok.Text);
    return std::make_unique<NumberExpr>(Value);
  }
  case TokenKind::Eof:
    break;
  }
  return nullptr;
}

static bool isSimple(const Expr &E, unsigned Depth,
                     bool AllowCalls) {
  if (Depth > 8)
    return false;
  if (const auto *Call = dyn_cast<CallExpr>(&E)) {
    if (!AllowCalls)
      return false;
    for (const auto &Arg : Call->args())
      if (!isSimple(*Arg, Depth + 1, AllowCalls))
        return false;
    return true;
  }
  return isa<VarExpr>(E) || isa<NumberExpr>(E);
}

unsigned countCalls(ArrayRef<const Expr *> Exprs) {
  unsigned N = 0;
  llvm::for_each(Exprs, [&N](const Expr *E) {
    if (isa<CallExpr>(E))
      ++N;
  });
  assert(N <= Exprs.size() &&
         "more calls than expressions");
  return N;
}

template <typename T> struct Range {
  T Begin;
  T End;
  bool empty() const { return Begin == End; }
};

static const char *const Names[] = {
    "identifier",
    "number",
    "eof",
};

static const unsigned Widths[] = {
    1, 2, 4, 8,
};
