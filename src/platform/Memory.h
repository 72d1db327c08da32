// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

namespace zephyl {

/// Hands the heap's free pages back to the system. The allocator keeps what a program frees for
/// its next requests; after large pictures have been let go (a page switch), keeping it would
/// only grow the program's resident size.
void ReturnFreeMemory();

}  // namespace zephyl
