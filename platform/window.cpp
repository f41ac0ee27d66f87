#include "platform/window.h"

namespace ocx {

std::string displayName(const DesignedElement& element) {
  std::string name(element.name);
  if (element.index >= 0) {
    name += '(' + std::to_string(element.index) + ')';
  }
  return name;
}

}  // namespace ocx
