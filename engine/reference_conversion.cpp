#include "reference_conversion.h"

namespace morvel {

template <TableKind K>
void convertLineByteByByte(const SparseTable<K>& table, ControlRule rule, std::string_view line, LineState& state,
                           std::string& out) {
  for (const char c : line) {
    const auto b = static_cast<unsigned char>(c);
    if (state.pending) {
      state.pending = false;
      if (isTrailByte(b)) {
        out.append(table.entryText(pairCode(state.lead, b)));
        continue;
      }
    }
    if (isKatakanaByte(b)) {
      out.append(table.entryText(b));
    } else if (isLeadByte(b)) {
      state.lead = b;
      state.pending = true;
    } else if (rule == ControlRule::copy || !skipDrops(b)) {
      out += c;
    }
  }
}

template void convertLineByteByByte(const SparseEUC&, ControlRule, std::string_view, LineState&, std::string&);
template void convertLineByteByByte(const SparseSJIS&, ControlRule, std::string_view, LineState&, std::string&);
template void convertLineByteByByte(const SparseUTF8&, ControlRule, std::string_view, LineState&, std::string&);

template <TableKind K>
void convertTextByteByByte(const SparseTable<K>& table, ControlRule rule, bool crlf, std::string_view text,
                           LineState& state, std::string& out) {
  // The lines and the bits of lines between the CR and LF bytes, each
  // converted in turn; the state carries over the breaks.
  for (;;) {
    const std::size_t at = text.find_first_of("\r\n");
    convertLineByteByByte(table, rule, text.substr(0, at), state, out);
    if (at == std::string_view::npos) return;
    if (text[at] == '\n') out += crlf ? "\r\n" : "\n";
    text.remove_prefix(at + 1);
  }
}

template void convertTextByteByByte(const SparseEUC&, ControlRule, bool, std::string_view, LineState&, std::string&);
template void convertTextByteByByte(const SparseSJIS&, ControlRule, bool, std::string_view, LineState&, std::string&);
template void convertTextByteByByte(const SparseUTF8&, ControlRule, bool, std::string_view, LineState&, std::string&);

}  // namespace morvel
