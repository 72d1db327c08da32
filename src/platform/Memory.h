// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

namespace zephyl {

/// Buffers of a quarter megabyte and more (window backgrounds, animation frames while they are
/// decoded, the music analyser's frames and samples) come and go with the pages: each gets a
/// mapping of its own, handed back as soon as it is freed. glibc would otherwise raise its
/// threshold after the first such free and keep later ones in the heap (or in the heap of the
/// thread that made them, which is not trimmed), where they stay after the page is left. Call
/// once, at start.
void KeepLargeBuffersApart();

/// Hands the heap's free pages back to the system. The allocator keeps what a program frees for
/// its next requests; after large pictures have been let go (a page switch), keeping it would
/// only grow the program's resident size.
void ReturnFreeMemory();

}  // namespace zephyl
