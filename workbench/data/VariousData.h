// CVariousData: the document's measured data, the curve that the readers of every instrument
// format fill. The readers are free functions, one header per format family in readers/; the
// table that picks one for a file by its extension is ReaderTable.h.
#pragma once

#include "GraphData.h"
#include "readers/ColumnReader.h"
#include "readers/DiffractionReaders.h"
#include "readers/LogReaders.h"
#include "readers/OpticalReaders.h"
#include "readers/RietanFiles.h"
#include "readers/RigakuBinary.h"

class CVariousData : public CGraphData {};
