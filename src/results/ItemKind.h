#pragma once

namespace quill {

/// Image numbers of result rows; also how later steps tell kinds apart.
enum ItemKind : int {
  kItemCookie = 1,
  kItemRegistry = 2,
  kItemFile = 3,
  kItemFolder = 4,
  kItemExcluded = 5
};

}  // namespace quill
