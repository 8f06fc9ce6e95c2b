#include "stage.h"

#include "store/store.h"

namespace quorvel {

SchoolStage ReadSchoolStage(const Context& ctx)
{
    Store store = OpenStore(ctx);
    const ReadTransaction tr(store);
    return readStage(store);
}

void SetSchoolStage(const Context& ctx, SchoolStage stage)
{
    Store store = OpenStore(ctx);
    Transaction tr(store);
    saveStage(store, stage);
    tr.commit();
}

} // namespace quorvel
