#pragma once
// A worker's choice of its next link. Call with m_lock held.
#include "links/download_project.h"

enum class Choice { Chosen, Nothing, EndWorker };

// Tarvelin walks preferred links first, then new ones; Quorvash new ones
// only. A link below "RangeFrom" is marked taken and passed over; a link past
// "RangeTo" ends the worker. Walks start at the project's cursors, so links
// already taken are not walked again.
Choice ChooseLink(CDownloadProject& project, bool preferredPass, int& chosen);
