/* Version of both deliverables, for their version resources. */
#pragma once

#define CATALOOM_VERSION_BINARY 0, 0, 4, 0
#define CATALOOM_VERSION_TEXT "0.0.4"
/* The version line of the options page and the about box. */
#define CATALOOM_VERSION_LINE "Cataloom ver." CATALOOM_VERSION_TEXT
#define CATALOOM_COPYRIGHT_TEXT "Copyright (C) 2026 Quillmoor"
