// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The battery answer and the notification reports are read by the protocol library; this header
// stays for the files that still include it from here.
#include "protocol/StatusReports.h"
