// Reader of the Rigaku text-header binary scan. Fills the curve as the text readers do.
#pragma once

#include <string>

class CGraphData;

// bigEndianFirst true for a digit extension, false for the second form (any unknown
// extension). 1 success, negative otherwise.
int ReadRigakuBinary(CGraphData& data, const std::string& path, bool bigEndianFirst);
