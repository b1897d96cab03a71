// The element records of net files. (Bounds only until the file format lands.)
#include "common/BinaryStream.h"
#include "model/TEdge.h"
#include "model/TObjectFrame.h"
#include "model/TObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"

namespace qz {

void TPlatz::SaveToStream(BinaryWriter& out) const { TGraphItem::SaveToStream(out); }
void TPlatz::LoadFromStream(BinaryReader& in, const std::string& v) { TGraphItem::LoadFromStream(in, v); }
void TTransition::SaveToStream(BinaryWriter& out) const { TGraphItem::SaveToStream(out); }
void TTransition::LoadFromStream(BinaryReader& in, const std::string& v) { TGraphItem::LoadFromStream(in, v); }
void TEdge::SaveToStream(BinaryWriter& out) const { TGraphItem::SaveToStream(out); }
void TEdge::LoadFromStream(BinaryReader& in, const std::string& v) { TGraphItem::LoadFromStream(in, v); }
void TSchriftObjekt::SaveToStream(BinaryWriter& out) const { TGraphItem::SaveToStream(out); }
void TSchriftObjekt::LoadFromStream(BinaryReader& in, const std::string& v) { TGraphItem::LoadFromStream(in, v); }
void TObjekt::SaveToStream(BinaryWriter& out) const { TGraphItem::SaveToStream(out); }
void TObjekt::LoadFromStream(BinaryReader& in, const std::string& v) { TGraphItem::LoadFromStream(in, v); }
void TObjectFrame::SaveToStream(BinaryWriter& out) const { TGraphItem::SaveToStream(out); }
void TObjectFrame::LoadFromStream(BinaryReader& in, const std::string& v) { TGraphItem::LoadFromStream(in, v); }

} // namespace qz
