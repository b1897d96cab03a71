#pragma once
#include <optional>
#include <string>

namespace qz {

class BinaryReader;
class TEdge;
class TInterfacePlace;
class TNetList;
struct TRect;

// The record layouts of the net file versions, oldest first.
enum class RecordLayout { V1, V144, V146, V148, V27 };

inline constexpr const char* kCurrentFileVersion = "2,7";

// Numeric value of a version label written with a decimal comma ("1,48"),
// independent of any locale; nullopt when the label is no number.
std::optional<long double> VersionValue(const std::string& label);

// The layout an element record of a file with this label has. The five known
// labels map to their own layout; any other label to the layout of the
// reader its numeric value selects.
RecordLayout LayoutOf(const std::string& label);

// Reads a rectangle and refuses coordinates no net can have, so that no
// later arithmetic on them can overflow.
TRect ReadCoordinates(BinaryReader& in);
int ReadCoordinate(BinaryReader& in);
// Whether a rectangle derived from read ones (a frame grown to fit its
// interface places) stays in that range: a file written from it could not
// be read again otherwise.
bool CoordinatesInRange(const TRect& r);

// The text by which a file and the net description name an arc end on an
// interface place: the object name of its frame, ".", and the inner place's
// variable name. For the frame of the arc owner's base object the object name
// is the base class name, which is how the reader finds it again.
std::string InterfaceReference(const TEdge& arc, const TInterfacePlace* end);

class TPlatz;
// The initial marking a place shares with its fusion group: that of the
// root of its chain of links, whether or not the chain has been resolved.
long double SharedInitialMarking(const TPlatz& place);

// Keys as saving numbers them: places 0, 1, 2, ... in list order, then the
// transitions continuing the count.
void RenumberKeys(TNetList& net);

} // namespace qz
