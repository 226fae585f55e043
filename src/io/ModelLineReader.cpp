// Reading model lines from a stream buffer, one character at a time, with all three terminators.
#include "io/ModelLineReader.h"

#include <streambuf>
#include <string>

namespace sv {

bool ModelLineReader::read(ModelLine& line) {
  using Traits = std::char_traits<char>;
  line.clear();
  std::streambuf* buffer = in_.rdbuf();
  if (buffer == nullptr || !in_.good()) return false;
  bool any = false;
  for (;;) {
    const Traits::int_type next = buffer->sbumpc();
    if (Traits::eq_int_type(next, Traits::eof())) {
      in_.setstate(std::ios::eofbit);
      break;
    }
    any = true;
    const char c = Traits::to_char_type(next);
    if (c == '\n') break;
    if (c == '\r') {
      if (Traits::eq_int_type(buffer->sgetc(), Traits::to_int_type('\n'))) buffer->sbumpc();
      break;
    }
    line.append(c);
  }
  if (!any) return false;
  ++lineNumber_;
  return true;
}

}  // namespace sv
