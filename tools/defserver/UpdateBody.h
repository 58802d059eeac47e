#pragma once

#include <string>

#include "ReleaseStore.h"

namespace quill::defserver {

/// The update body that brings a client holding release `from` to release `to`: for every
/// definition file, "DEL" lines for the names whose lines changed or went, then "ADD" lines
/// for the new lines and for every line of `to` whose name was deleted (a client deletes by
/// name, so lines sharing a name with a removed one are sent again). Lines are separated by
/// "[BR]". Without `from` (a client older than every release) the body adds everything.
std::string UpdateBody(const Release* from, const Release& to);

}  // namespace quill::defserver
