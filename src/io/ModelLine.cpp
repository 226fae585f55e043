// Building the bounded form of a model line one character at a time.
#include "io/ModelLine.h"

#include <locale>

namespace sv {

bool ModelLine::isBlank(char c) {
  static const std::ctype<char>& classic = std::use_facet<std::ctype<char>>(std::locale::classic());
  return classic.is(std::ctype_base::space, c);
}

ModelLine ModelLine::of(std::string_view raw, std::size_t maxTokens) {
  ModelLine line;
  line.maxTokens_ = maxTokens;
  for (char c : raw) line.append(c);
  return line;
}

void ModelLine::clear() {
  text_.clear();
  tokens_ = 0;
  tokenLength_ = 0;
  rawLength_ = 0;
  inBlank_ = false;
  overlong_ = false;
}

void ModelLine::append(char c) {
  ++rawLength_;
  if (isBlank(c)) {
    // The separator is written lazily, when the next token starts, so trailing blanks vanish; a
    // leading run stays visible as one space, which keeps a blank-led line without a keyword.
    if (rawLength_ == 1) text_.push_back(' ');
    inBlank_ = true;
    return;
  }
  if (inBlank_ || rawLength_ == 1) {
    inBlank_ = false;
    ++tokens_;
    tokenLength_ = 0;
    if (tokens_ <= maxTokens_ && text_.size() > 0 && text_.back() != ' ') text_.push_back(' ');
  }
  if (tokens_ > maxTokens_) return;
  if (++tokenLength_ > kMaxTokenLength + 1) return;
  if (tokenLength_ > kMaxTokenLength) overlong_ = true;
  text_.push_back(c);
}

}  // namespace sv
