#include "railway/records.h"

namespace scenario {

void record_collector::on_record(const record_event& e) {
  record_as_read r;
  r.kind = e.kind;
  r.in = e.in;
  r.key = std::string(e.key);
  r.key_at = e.key_at;
  r.accepted = e.accepted;
  for (const read_field& f : e.fields) {
    if (f.is_text) {
      r.text = std::string(f.text);
      r.text_at = f.at;
    } else {
      r.numbers.push_back(f.number);
      r.number_at.push_back(f.at);
    }
  }
  records_.push_back(std::move(r));
}

}  // namespace scenario
