/* Version of both deliverables, for their version resources. */
#pragma once

#define CATALOOM_VERSION_BINARY 1, 0, 0, 0
#define CATALOOM_VERSION_TEXT "1.0.0"
#define CATALOOM_COPYRIGHT_TEXT "Copyright (C) 2026 Quillmoor"
