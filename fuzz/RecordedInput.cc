#include "fuzz/RecordedInput.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "snmp/AtomConversion.h"
#include "snmp/RecordedDevice.h"

namespace {

// Converts `bind` as every syntax would, and as every object it lies beneath.
void Convert(const snmp::VarBind& bind) {
  for (snmp::EMibSyntax syntax : {snmp::EMibSyntax::kInteger, snmp::EMibSyntax::kDisplayString,
                                  snmp::EMibSyntax::kObjectId, snmp::EMibSyntax::kOctets}) {
    delete snmp::ValueToAtom(syntax, bind.value);
  }
  for (const snmp::MibObject& object : snmp::MibObjects()) {
    if (snmp::OidIsUnder(bind.oid, object.oid)) delete snmp::MakeVarOp(object, bind);
  }
}

}  // namespace

void FuzzRecordedDevice(const uint8_t* data, size_t size, bool walkFormat) {
  FuzzSetUp();
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> problems;
  std::shared_ptr<const snmp::RecordedDevice> device =
      snmp::RecordedDevice::FromText(text, walkFormat, &problems);
  FuzzCheck(device != nullptr, "a text always makes a device");

  size_t seen = 0;
  snmp::Oid at;
  snmp::VarBind bind;
  while (device->Next(at, &bind)) {
    FuzzCheck(seen == 0 || at < bind.oid, "bindings in strictly increasing order");
    const snmp::WireValue* found = device->Find(bind.oid);
    FuzzCheck(found != nullptr && found->type == bind.value.type && found->octets == bind.value.octets,
              "every binding is found by its OID");
    Convert(bind);
    at = bind.oid;
    ++seen;
  }
  FuzzCheck(seen == device->Size(), "the walk sees every binding");

  // The channel's GETBULK from the start, as a requester walks a device:
  // every binding in order, then one endOfMibView.
  snmp::CRecordedChannel channel(device);
  const snmp::PduReply reply = channel.GetBulk({snmp::Oid()}, 5);
  FuzzCheck(reply.outcome == snmp::EPduOutcome::kAnswer &&
                reply.binds.size() == std::min<size_t>(5, seen + 1),
            "a GETBULK on a recording answers up to the end");
  for (size_t i = 0; i < reply.binds.size(); ++i) {
    FuzzCheck((i == seen) == (reply.binds[i].value.type == snmp::EWireType::kEndOfMibView),
              "endOfMibView after the last binding only");
  }
  channel.Get(bind.oid);
}
