#include "conversion/TableCatalogue.h"

const std::array<std::string_view, kCatalogueSize>& TableCatalogue() {
    // clang-format off
    static constexpr std::array<std::string_view, kCatalogueSize> kTables = {
        "local_user", "local_ugroup", "rel_usergrp", "office", "storehouse",
        "custgroup", "customer", "qlty", "pclass", "product_m",
        "product_d", "bomlist", "bankbook", "billnote", "crcard",
        "cust_base", "multy_price", "options", "saletype", "schedules",
        "special_dc", "special_price", "delcar", "pclsdc", "qltydc",
        "constrt", "weeklyplan", "weeklyplanadd", "accounts", "cashbook",
        "estimate_m", "estimate_d", "invn_base", "invn_edit", "invn_real",
        "ordbook_m", "ordbook_d", "payment", "receive", "buy",
        "sale", "taxlist_m", "taxlist_d", "invn_move", "aslist",
        "prodset", "salehold", "makelist_m", "makelist_d", "ocustlink",
        "prodmatch", "posmoney", "vanindata", "vanoutdata", "invn_chk",
        "custprodmatch", "custusermatch", "custpclassmatch", "invn_move_plan", "workshift",
        "recv_cashbook", "holiday1_m", "holiday1_d", "office_store", "event_price",
        "serial", "buy_log", "receive_log", "payment_log", "consignment_m",
        "consignment_d", "consign_sale", "consign_chk", "bank_log", "security_ip",
        "security_mac", "security_time", "sign_img", "pda_regist", "pda_regist_history",
    };
    // clang-format on
    return kTables;
}
