#include "demo/demo_data.h"

namespace demo {
namespace {

Group make_group() {
    Group g;
    g.company_code = 1;
    g.name = "Gruppo IVA Demo S.p.A.";
    g.chart_group = 1;
    g.account_customers = "1101000000";
    g.account_suppliers = "2101000000";
    g.accounts = {
        {"1101000000", "Crediti verso clienti"},
        {"2101000000", "Debiti verso fornitori"},
        {"4101000001", "Ricavi vendite merci"},
        {"4101000002", "Ricavi prestazioni servizi"},
        {"5101000001", "Acquisti merci"},
        {"5101000002", "Costi per servizi"},
        {"1401000001", "IVA a credito"},
        {"2401000001", "IVA a debito"},
        {"1801000001", "Banca c/c"},
        {"1801000002", "Cassa"},
    };
    g.sections = {{"01", "Registro vendite"}, {"02", "Registro acquisti"}, {"03", "Operazioni diverse"}};
    g.causals = {
        {"FV", "Fattura di vendita", "1", ""},
        {"FA", "Fattura di acquisto", "31", ""},
        {"PAG", "Pagamento fornitore", "", ""},
        {"INC", "Incasso cliente", "", ""},
    };
    g.vat_codes = {{"22", "Aliquota 22%", "22"}, {"10", "Aliquota 10%", "10"}, {"4", "Aliquota 4%", "4"}};
    g.registry = {
        {0, 0, "Ottica Moderna S.n.c.", "Via Roma 12", "20121", "Milano", "MI", "03366550156", "03366550156",
         "F205", "", ""},
        {0, 1, "Trasporti Veloci S.r.l.", "Via Emilia 80", "40133", "Bologna", "BO", "02233440377",
         "02233440377", "A944", "", ""},
    };
    g.proposal_codes = {
        {"Banca (contropartita generica)", "1801000001"},  // 1
        {"IVA su vendite", "2401000001"},                  // 2
        {"IVA su vendite in sospensione", "2401000001"},   // 3
        {"IVA su acquisti", "1401000001"},                 // 4
        {"Giroconti IVA", "2401000001"},                   // 5
        {"Acquisti", "5101000001"},                        // 6
        {"Vendite", "4101000001"},                         // 7
        {"Corrispettivi", "4101000001"},                   // 8
        {"Costi indetraibili", "5101000002"},              // 9
        {"Omaggi", "5101000002"},                          // 10
        {"Arrotondamenti", "5101000002"},                  // 11
        {"IVA corrispettivi", "2401000001"},               // 12
        {"Cassa", "1801000002"},                           // 13
    };
    g.proposal_settings = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    return g;
}

// Alfa transcodes sections, accounts and causals through value rows; VAT codes are the
// group's own. Its file brings what the group lacks: a credit-note causal with its linked
// refund causal (the group takes both under Alfa's codes), a VAT code, new customers and
// suppliers, and two legal persons that are both customer and supplier: one new to the
// group, one the group already knows as a customer.
Member make_alfa() {
    Member m;
    m.registry_code = 900001;
    m.own_company_code = 10;
    m.name = "Alfa Commerciale S.r.l.";
    m.address = "Corso Italia 5";
    m.cap = "10121";
    m.city = "Torino";
    m.province = "TO";
    m.fiscal_code = "01122334455";
    m.vat_number = "01122334455";
    m.ind_sections = 1;
    m.ind_accounts = 1;
    m.ind_causals = 1;
    m.ind_vat = 0;
    m.section_sales = "V";
    m.section_purchases = "A";
    m.section_general = "G";
    m.account_customers = "C000000000";
    m.account_suppliers = "F000000000";
    m.account_revenue = "R10";
    m.account_cost = "K10";
    m.account_vat_sales = "E20";
    m.account_vat_purchases = "E21";
    m.account_bank = "B01";
    m.causals = {{"FTV", "Fattura vendita", "1", ""},
                 {"FTA", "Fattura acquisto", "31", ""},
                 {"PAGF", "Pagamento fornitore", "", ""},
                 {"INCC", "Incasso cliente", "", ""},
                 {"NCC", "Nota credito a cliente", "2", "RIMC"},
                 {"RIMC", "Rimborso a cliente", "", ""}};
    m.vat_codes = {
        {"22", "Aliquota 22%", "22"}, {"10", "Aliquota 10%", "10"}, {"N2", "Non soggetto art.7", "0"}};
    m.mappings = {
        {0, "V", "01"},           {0, "A", "02"},           {0, "G", "03"},
        {2, "FTV", "FV"},         {2, "FTA", "FA"},         {2, "PAGF", "PAG"},
        {2, "INCC", "INC"},       {2, "NCC", "NCC"},        {2, "RIMC", "RIMC"},
        {3, "R10", "4101000001"}, {3, "K10", "5101000001"}, {3, "E20", "2401000001"},
        {3, "E21", "1401000001"}, {3, "B01", "1801000001"},
    };
    m.parties = {
        {1, 0, "Ottica Moderna S.n.c.", "Via Roma 12", "20121", "Milano", "MI", "03366550156", "03366550156",
         "F205", "10/01/2019", ""},
        {2, 0, "Bar Centrale di Neri Luca", "Piazza Duomo 1", "50122", "Firenze", "FI", "NRELCU70A01D612X",
         "05566770488", "D612", "04/05/2020", "01/01/1970"},
        {3, 0, "L'Angolo del Libro S.a.s.", "Via Garibaldi 3", "16124", "Genova", "GE", "04455660109",
         "04455660109", "D969", "21/09/2021", ""},
        {4, 0, "Tipografia Rapida S.r.l.", "Via Borgo Palazzo 40", "24125", "Bergamo", "BG", "03344550166",
         "03344550166", "A794", "15/02/2022", ""},
        {1, 1, "Trasporti Veloci S.r.l.", "Via Emilia 80", "40133", "Bologna", "BO", "02233440377",
         "02233440377", "A944", "10/01/2019", ""},
        {2, 1, "Carta e Penna S.p.A.", "Viale Europa 22", "00144", "Roma", "RM", "07788990011", "07788990011",
         "H501", "03/03/2020", ""},
        {3, 1, "Tipografia Rapida S.r.l.", "Via Borgo Palazzo 40", "24125", "Bergamo", "BG", "03344550166",
         "03344550166", "A794", "15/02/2022", ""},
        {4, 1, "Ottica Moderna S.n.c.", "Via Roma 12", "20121", "Milano", "MI", "03366550156", "03366550156",
         "F205", "07/06/2023", ""},
    };
    m.numreg_prefix = "A";
    m.import_shows =
        "Passes the verification. Its first import creates causals NCC and RIMC, VAT code N2 and the "
        "customers and suppliers the group lacks; a later one finds them all.";
    return m;
}

// Beta uses a fixed section, the account proposal for accounts, the group's causals
// unchanged (creating the ones the group lacks) and VAT codes through value rows.
Member make_beta() {
    Member m;
    m.registry_code = 900002;
    m.own_company_code = 20;
    m.name = "Beta Servizi S.p.A.";
    m.address = "Via Torino 44";
    m.cap = "35131";
    m.city = "Padova";
    m.province = "PD";
    m.fiscal_code = "09988776655";
    m.vat_number = "09988776655";
    m.ind_sections = 2;
    m.fixed_section = "03";
    m.ind_accounts = 3;
    m.ind_causals = 0;
    m.ind_vat = 1;
    m.section_sales = "1";
    m.section_purchases = "2";
    m.section_general = "9";
    m.account_customers = "CLIENTI";
    m.account_suppliers = "FORNITORI";
    m.account_revenue = "RICSERV";
    m.account_cost = "COSTSERV";
    m.account_vat_sales = "IVADEB";
    m.account_vat_purchases = "IVACRED";
    m.account_bank = "BANCA";
    m.causals = {{"FV", "Fattura di vendita", "1", ""},
                 {"FA", "Fattura di acquisto", "31", ""},
                 {"PAG", "Pagamento fornitore", "", ""},
                 {"INCB", "Incasso con bonifico", "", ""}};
    m.vat_codes = {{"V22", "IVA 22%", "22"}, {"V10", "IVA 10%", "10"}};
    m.mappings = {{1, "V22", "22"}, {1, "V10", "10"}};
    m.parties = {
        {11, 0, "Studio Bianchi Associati", "Via Dante 9", "35122", "Padova", "PD", "01234560288",
         "01234560288", "G224", "12/04/2021", ""},
        {12, 0, "Ottica Moderna S.n.c.", "Via Roma 12", "20121", "Milano", "MI", "03366550156", "03366550156",
         "F205", "30/11/2020", ""},
        {21, 1, "Pulizie Lampo S.r.l.", "Via Po 7", "10124", "Torino", "TO", "08877665544", "08877665544",
         "L219", "08/01/2022", ""},
    };
    m.numreg_prefix = "B";
    m.import_shows =
        "Passes the verification through a fixed section and the account proposal. Its first import "
        "creates causal INCB, a customer and a supplier.";
    return m;
}

// Gamma transcodes sections and accounts through value rows, but the group has not given
// its general section GE nor its bank account BANCA01 a value: its import stops with
// message 109. Everything else it names the group already has, so it creates nothing.
Member make_gamma() {
    Member m;
    m.registry_code = 900003;
    m.own_company_code = 30;
    m.name = "Gamma Logistica S.r.l.";
    m.address = "Via Verdi 21";
    m.cap = "37121";
    m.city = "Verona";
    m.province = "VR";
    m.fiscal_code = "04433221100";
    m.vat_number = "04433221100";
    m.ind_sections = 1;
    m.ind_accounts = 1;
    m.ind_causals = 0;
    m.ind_vat = 0;
    m.section_sales = "VE";
    m.section_purchases = "AC";
    m.section_general = "GE";
    m.account_customers = "CLI";
    m.account_suppliers = "FOR";
    m.account_revenue = "RV01";
    m.account_cost = "CS01";
    m.account_vat_sales = "IVV01";
    m.account_vat_purchases = "IVA01";
    m.account_bank = "BANCA01";
    m.causals = {{"FV", "Fattura di vendita", "1", ""},
                 {"FA", "Fattura di acquisto", "31", ""},
                 {"PAG", "Pagamento fornitore", "", ""},
                 {"INC", "Incasso cliente", "", ""}};
    m.vat_codes = {{"22", "Aliquota 22%", "22"}, {"10", "Aliquota 10%", "10"}};
    m.mappings = {
        {0, "VE", "01"},
        {0, "AC", "02"},
        {3, "RV01", "4101000001"},
        {3, "CS01", "5101000001"},
        {3, "IVV01", "2401000001"},
        {3, "IVA01", "1401000001"},
    };
    m.parties = {
        {1, 0, "Ottica Moderna S.n.c.", "Via Roma 12", "20121", "Milano", "MI", "03366550156", "03366550156",
         "F205", "02/02/2022", ""},
        {1, 1, "Trasporti Veloci S.r.l.", "Via Emilia 80", "40133", "Bologna", "BO", "02233440377",
         "02233440377", "A944", "02/02/2022", ""},
    };
    m.numreg_prefix = "G";
    m.import_shows =
        "Stops the import with message 109 (exit status 2): section GE and account BANCA01 have no "
        "transcoding value.";
    return m;
}

}  // namespace

const Group& group() {
    static const Group g = make_group();
    return g;
}

const std::vector<Member>& members() {
    static const std::vector<Member> m = {make_alfa(), make_beta(), make_gamma()};
    return m;
}

}  // namespace demo
