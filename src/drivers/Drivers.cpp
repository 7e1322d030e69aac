#include "drivers/Drivers.h"

#include "core/CodeTables.h"
#include "drivers/Aor.h"
#include "drivers/Icom.h"

namespace rigvane {

void RegisterDrivers(Radio& radio) {
    radio.RegisterDriver(ProtoIcom, IcomDriver, IcomOpen);
    // OPTO shares the CI-V driver; its initialisation (127, then 3) is the
    // radio operations' own.
    radio.RegisterDriver(ProtoOpto, IcomDriver);
    // The AOR drivers decide the tone line and the memory-scan read
    // themselves: the radio operations' tuning and reading codes go to
    // their Apply and Read.
    for (AorDriver* aor :
         {static_cast<AorDriver*>(&Aor8000()), static_cast<AorDriver*>(&Aor5000())})
        radio.RegisterDriver(aor->Caps().Protocol, [aor](DriverContext& ctx, int& code) {
            if (code == AorApply)
                aor->Apply(ctx);
            else if (code == AorReadVfo)
                aor->Read(ctx);
            else if (code != AorTone)
                aor->Perform(ctx, code);
        });
}

} // namespace rigvane
